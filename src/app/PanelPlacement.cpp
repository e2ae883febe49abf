#include "PanelPlacement.h"

#include <algorithm>
#include <limits>

namespace Kalvoren {

namespace {

// Squared distance from a point to a rectangle; 0 inside it.
qint64 distanceSquared(QPoint p, const QRect &r)
{
    const qint64 dx = p.x() < r.left()    ? r.left() - p.x()
                      : p.x() > r.right() ? p.x() - r.right()
                                          : 0;
    const qint64 dy = p.y() < r.top()      ? r.top() - p.y()
                      : p.y() > r.bottom() ? p.y() - r.bottom()
                                           : 0;
    return dx * dx + dy * dy;
}

// Moves start so that [start, start + length) lies within [low, high]; a panel longer than
// the range keeps its start at low.
int clampSpan(int start, int length, int low, int high)
{
    start = std::min(start, high - length + 1);
    return std::max(start, low);
}

} // namespace

QPoint panelTopLeft(const QRect &anchor, QSize panelSize, const QList<ScreenArea> &screens)
{
    const QPoint centre = anchor.center();
    QPoint topLeft(centre.x() - panelPointerInset, anchor.bottom() + 1);
    if (screens.isEmpty())
        return topLeft;

    const ScreenArea *home = nullptr;
    qint64 best = std::numeric_limits<qint64>::max();
    for (const ScreenArea &screen : screens) {
        const qint64 d = distanceSquared(centre, screen.geometry);
        if (d < best) {
            best = d;
            home = &screen;
        }
    }
    QRect area = home->available.isValid() ? home->available : home->geometry;

    // Room below the anchor, within the available area; a tray at the bottom edge leaves
    // none, and the panel then opens upwards.
    const int roomBelow = area.bottom() - std::max(topLeft.y(), area.top()) + 1;
    const int roomAbove = std::min(anchor.top(), area.bottom() + 1) - area.top() - 1;
    if (roomBelow < panelSize.height() && roomAbove > roomBelow)
        topLeft.setY(anchor.top() - 1 - panelSize.height());

    topLeft.setX(clampSpan(topLeft.x(), panelSize.width(), area.left(), area.right()));
    topLeft.setY(clampSpan(topLeft.y(), panelSize.height(), area.top(), area.bottom()));
    return topLeft;
}

QRect windowFrame(QSize frameSize, const QRect &available, int othersOpen)
{
    QRect frame(QPoint(), frameSize.boundedTo(available.size()));
    frame.moveCenter(available.center());
    const int room = std::min(available.right() - frame.right(),
                              available.bottom() - frame.bottom());
    const int steps = room / windowCascadeStep + 1;
    const int offset = (std::max(othersOpen, 0) % steps) * windowCascadeStep;
    return frame.translated(offset, offset);
}

} // namespace Kalvoren
