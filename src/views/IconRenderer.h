#pragma once

#include <QImage>

class StatsView;

namespace Kalvoren {

// Edge of the status icon in logical pixels.
inline constexpr int statusIconSize = 20;
// Longest edge of the application-icon snapshot in pixels; task bars scale it down.
inline constexpr int appIconSize = 256;

// The status icon: a transparent 20 x 20 image with the view's mini pie, in its current
// style, in the lower-left 19 x 19. Rendered at devicePixelRatio so it stays crisp on
// high-density screens.
QImage renderStatusIcon(StatsView &view, qreal devicePixelRatio);

// A snapshot of the full pie as the view draws it (colours, soft shadow, no ring), scaled so
// that its longest edge is edge pixels, on a transparent background.
QImage renderAppIcon(StatsView &view, int edge = appIconSize);

} // namespace Kalvoren
