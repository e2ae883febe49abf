#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

namespace Kalvoren {

// One screen, in global coordinates (y grows downwards).
struct ScreenArea
{
    QRect geometry;  // the whole screen
    QRect available; // without panels and docks
};

// How far left of the clicked point the panel's left edge goes.
inline constexpr int panelPointerInset = 110;

// Where the drop-down panel's top-left corner goes when it drops from anchor: the tray icon
// where the tray tells where it is, else a 1 x 1 rectangle at the pointer that clicked it.
// The panel's left edge lies 110 points left of the anchor's centre and its top edge one
// point below the anchor; then it is moved as little as needed to lie wholly within the
// available area of the screen that holds the anchor. When there is no room below (a tray at
// the bottom edge) the panel opens upwards, ending one point above the anchor. An anchor
// outside every screen uses the nearest one; no screens at all leave the unclamped position.
QPoint panelTopLeft(const QRect &anchor, QSize panelSize, const QList<ScreenArea> &screens);

// How far down and right each further window opens from the last.
inline constexpr int windowCascadeStep = 32;

// Where a window of Kalvoren's own (About, Memory Log, Benchmark, Processes, the notices)
// opens, as its frame's rectangle on a screen's available area: centred, one step down and
// right for each window already open so that none hides another (starting again at the centre
// before a window would leave the area), and no larger than the area (a large scale factor on
// a small screen).
QRect windowFrame(QSize frameSize, const QRect &available, int othersOpen);

} // namespace Kalvoren
