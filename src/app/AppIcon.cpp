#include "AppIcon.h"

namespace Kalvoren {

QIcon applicationIcon()
{
    return QIcon::fromTheme(QStringLiteral("kalvoren"),
                            QIcon(QStringLiteral(":/icons/kalvoren.svg")));
}

} // namespace Kalvoren
