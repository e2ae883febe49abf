#include "MemLogItem.h"

QString MemLogItem::value(QStringView key) const
{
    if (key == u"free")
        return m_free;
    if (key == u"inactive")
        return m_inactive;
    if (key == u"wired")
        return m_wired;
    if (key == u"active")
        return m_active;
    return QString();
}

bool MemLogItem::setValue(QStringView key, const QString &text)
{
    if (key == u"free")
        m_free = text;
    else if (key == u"inactive")
        m_inactive = text;
    else if (key == u"wired")
        m_wired = text;
    else if (key == u"active")
        m_active = text;
    else
        return false;
    return true;
}
