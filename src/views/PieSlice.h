#pragma once

#include <QPainterPath>
#include <QRectF>

// Builds the outline of one pie slice. Has no instances.
class PieSlice
{
public:
    PieSlice() = delete;

    // The closed outline of the slice of the circle inscribed (by width) in rect inset by 1.0,
    // running counter-clockwise from startAngle to endAngle and back through the centre.
    // Angles are in degrees as seen on screen: 0 at 3 o'clock, 90 at 12 o'clock. Equal
    // angles give an empty sector (a line to the centre and back), which fills nothing.
    static QPainterPath pieSlicePath(const QRectF &rect, float startAngle, float endAngle);
};
