#include "Platform.h"

#include "commands/CommandsPlatform.h"
#include "linux/LinuxPlatform.h"

namespace Kalvoren {

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
