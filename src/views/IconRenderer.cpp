#include "IconRenderer.h"

#include "StatsView.h"

#include <QPainter>

#include <cmath>

namespace Kalvoren {

QImage renderStatusIcon(StatsView &view, qreal devicePixelRatio)
{
    const qreal dpr = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    const int pixels = qCeil(statusIconSize * dpr);
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    // The pie sits in the lower-left 19 x 19 points, leaving a clear row at the top and a
    // clear column at the right.
    view.drawMiniPie(painter, QRectF(0, 1, statusIconSize - 1, statusIconSize - 1));
    return image;
}

QImage renderAppIcon(StatsView &view, int edge)
{
    QSizeF bounds = view.size();
    if (bounds.isEmpty())
        bounds = QSizeF(160, 160);
    const qreal scale = edge / std::max(bounds.width(), bounds.height());
    QImage image(qMax(1, qRound(bounds.width() * scale)), qMax(1, qRound(bounds.height() * scale)),
                 QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    // Scaling the painter rather than the rectangle keeps every proportion of the view,
    // fixed insets included, as a vector snapshot would.
    painter.scale(scale, scale);
    view.drawPie(painter, QRectF(QPointF(0, 0), bounds));
    return image;
}

} // namespace Kalvoren
