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

// How far left of the pointer the panel's left edge goes.
inline constexpr int panelPointerInset = 110;

// Where the drop-down panel's top-left corner goes for a click at pointer: 110 points to the
// left of the pointer and one point below it, then moved as little as needed to lie wholly
// within the available area of the screen that holds the pointer. When there is no room
// below (a tray at the bottom edge) the panel opens upwards, ending one point above the
// pointer. A pointer outside every screen uses the nearest one; no screens at all leave the
// unclamped position.
QPoint panelTopLeft(QPoint pointer, QSize panelSize, const QList<ScreenArea> &screens);

} // namespace Kalvoren
