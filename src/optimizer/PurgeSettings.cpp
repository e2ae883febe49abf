#include "PurgeSettings.h"

#include <QSettings>

namespace Kalvoren {
namespace {

const char *const purgeKey = "purgeWithPkexec";

// The command line has no application object naming the settings; name them here so both
// read ~/.config/Kalvoren/Kalvoren.conf.
const QString &settingsName()
{
    static const QString name = QStringLiteral("Kalvoren");
    return name;
}

} // namespace

PurgeElevation purgeElevationSetting()
{
    QSettings settings(settingsName(), settingsName());
    return settings.value(QLatin1String(purgeKey), false).toBool() ? PurgeElevation::Pkexec
                                                                    : PurgeElevation::None;
}

void setPurgeElevationSetting(PurgeElevation elevation)
{
    QSettings settings(settingsName(), settingsName());
    settings.setValue(QLatin1String(purgeKey), elevation == PurgeElevation::Pkexec);
}

} // namespace Kalvoren
