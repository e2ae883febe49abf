#include "Platform.h"

#include "commands/CommandsPlatform.h"
#include "linux/LinuxPlatform.h"

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

} // namespace Kalvoren
