#include "CommandsPlatform.h"

#include "stats/Kesh.h"

namespace Kalvoren {

CommandsPlatform::CommandsPlatform(double frameworkVersion)
    : m_frameworkVersion(frameworkVersion)
{
}

QString CommandsPlatform::name() const
{
    return QStringLiteral("commands");
}

double CommandsPlatform::frameworkVersion() const
{
    return m_frameworkVersion;
}

QString CommandsPlatform::vmStatText(QString *error)
{
    const QString text = Kesh::shellcmd(QStringLiteral("vm_stat"));
    if (text.isEmpty() && error)
        *error = QStringLiteral("vm_stat printed nothing");
    return text;
}

// -- optimizer --

PurgeResult CommandsPlatform::purge(PurgeElevation elevation)
{
    Q_UNUSED(elevation); // purge asks for what it needs by itself
    Kesh::shellcmd(QStringLiteral("purge"));
    return { PurgeOutcome::Done, QString() };
}

std::optional<MemoryRoom> CommandsPlatform::memoryRoom()
{
    return std::nullopt;
}

} // namespace Kalvoren
