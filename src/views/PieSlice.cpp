#include "PieSlice.h"

QPainterPath PieSlice::pieSlicePath(const QRectF &rect, float startAngle, float endAngle)
{
    const QRectF inset = rect.adjusted(1.0, 1.0, -1.0, -1.0);
    // The radius comes from the width alone, so a view that is not square still gets a
    // round pie, centred in the rectangle.
    const float radius = float(inset.width()) * 0.5f;
    const QPointF centre(inset.x() + inset.width() * 0.5, inset.y() + inset.height() * 0.5);
    const QRectF circle(centre.x() - radius, centre.y() - radius, 2.0 * radius, 2.0 * radius);

    QPainterPath path;
    // QPainterPath measures angles as they appear on screen (counter-clockwise, 90 at the
    // top) although its y axis grows downwards, so the angles go in unchanged.
    path.arcMoveTo(circle, startAngle);
    path.arcTo(circle, startAngle, endAngle - startAngle);
    path.lineTo(centre);
    path.closeSubpath();
    return path;
}
