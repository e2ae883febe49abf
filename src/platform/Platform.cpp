#include "Platform.h"

#include "PlatformText.h"

#include "commands/CommandsPlatform.h"
#include "linux/LinuxPlatform.h"
#include "linux/ProcMemInfo.h"

#include <unistd.h>

namespace Kalvoren {

// -- optimizer --

PurgeResult Platform::purge(PurgeElevation)
{
    return { PurgeOutcome::Skipped, QStringLiteral("purge skipped: this system has no purge") };
}

std::optional<MemoryRoom> Platform::memoryRoom()
{
    return std::nullopt;
}

std::unique_ptr<Platform> createPlatform(PlatformKind kind)
{
    if (kind == PlatformKind::Commands)
        return std::make_unique<CommandsPlatform>();
    return std::make_unique<LinuxPlatform>();
}

std::unique_ptr<Platform> savedSystemPlatform(const QString &root)
{
    return LinuxPlatform::forSystemRoot(root);
}

std::optional<MemorySample> sampleFromSavedMemInfo(QByteArrayView text, QString *error)
{
    return sampleFromMemInfo(parseMemInfo(text), {}, quint64(sysconf(_SC_PAGESIZE)), error);
}

bool platformKindFromName(const QString &name, PlatformKind *kind)
{
    if (name == QLatin1String("linux")) {
        *kind = PlatformKind::Linux;
        return true;
    }
    if (name == QLatin1String("commands")) {
        *kind = PlatformKind::Commands;
        return true;
    }
    return false;
}

// -- process monitor --

std::optional<QList<ProcessRow>> Platform::readProcesses(PlatformError *error)
{
    return readingFailed<QList<ProcessRow>>(
            error, PlatformError::Kind::Unsupported,
            PlatformText::tr("the %1 platform has no process list").arg(name()));
}

ProcessActionResult Platform::quitProcess(const QString &)
{
    return processActionResult(ProcessActionStatus::Unavailable,
                               PlatformText::tr("The %1 platform cannot quit processes.")
                                       .arg(name()));
}

ProcessActionResult Platform::forceQuitProcess(const QString &pidText)
{
    return quitProcess(pidText);
}

} // namespace Kalvoren
