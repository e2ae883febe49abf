#pragma once

#include <QDateTime>
#include <QString>
#include <QStringView>

// One row of the memory log: the four texts of a sample, or of its relative changes, in the
// order free, inactive, wired, active. The field names double as the table's column
// identifiers. A row holds its own copies of the texts (QString is an implicitly shared value).
class MemLogItem
{
public:
    QString free() const { return m_free; }
    void setFree(const QString &text) { m_free = text; }
    QString inactive() const { return m_inactive; }
    void setInactive(const QString &text) { m_inactive = text; }
    QString wired() const { return m_wired; }
    void setWired(const QString &text) { m_wired = text; }
    QString active() const { return m_active; }
    void setActive(const QString &text) { m_active = text; }

    // When the sample was taken; the export writes it beside the texts.
    QDateTime sampledAt() const { return m_sampledAt; }
    void setSampledAt(const QDateTime &time) { m_sampledAt = time; }

    // The field named by key ("free", "inactive", "wired", "active"). An unknown key reads as
    // a null string and is not stored; setValue answers whether the key was known.
    QString value(QStringView key) const;
    bool setValue(QStringView key, const QString &text);

private:
    QString m_free;
    QString m_inactive;
    QString m_wired;
    QString m_active;
    QDateTime m_sampledAt;
};
