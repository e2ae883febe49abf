#include "OvalShadow.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <vector>

namespace Kalvoren {

namespace {

// One box-blur pass over n values spaced stride apart, for the four bytes of each pixel.
// Reads from src, writes to the image; values beyond either end count as 0.
void blurLine(const std::vector<QRgb> &src, QRgb *dst, int n, qsizetype stride, int radius)
{
    const int width = 2 * radius + 1;
    int sum[4] = { 0, 0, 0, 0 };
    auto add = [&sum](QRgb p, int sign) {
        sum[0] += sign * int(qAlpha(p));
        sum[1] += sign * int(qRed(p));
        sum[2] += sign * int(qGreen(p));
        sum[3] += sign * int(qBlue(p));
    };
    for (int i = 0; i < std::min(radius, n); ++i)
        add(src[i], 1);
    for (int i = 0; i < n; ++i) {
        if (i + radius < n)
            add(src[i + radius], 1);
        if (i - radius - 1 >= 0)
            add(src[i - radius - 1], -1);
        const int half = width / 2;
        dst[i * stride] = qRgba((sum[1] + half) / width, (sum[2] + half) / width,
                                (sum[3] + half) / width, (sum[0] + half) / width);
    }
}

// Draws image at topLeft moved to the nearest whole device pixel: the image then goes onto
// the device as a plain copy instead of being resampled, and a shadow moved by a fraction of
// a pixel looks no different.
void drawAligned(QPainter &painter, const QPointF &topLeft, const QImage &image)
{
    const QTransform toDevice = painter.deviceTransform();
    bool invertible = false;
    const QTransform fromDevice = toDevice.inverted(&invertible);
    QPointF at = topLeft;
    if (invertible && !toDevice.isRotating()) {
        const QPointF device = toDevice.map(topLeft);
        at = fromDevice.map(QPointF(std::round(device.x()), std::round(device.y())));
    }
    painter.drawImage(at, image);
}

} // namespace

void boxBlur(QImage &image, int radius)
{
    if (radius < 1 || image.isNull())
        return;
    Q_ASSERT(image.format() == QImage::Format_ARGB32_Premultiplied);
    const int w = image.width();
    const int h = image.height();
    auto *bits = reinterpret_cast<QRgb *>(image.bits());
    const qsizetype rowStride = image.bytesPerLine() / qsizetype(sizeof(QRgb));
    std::vector<QRgb> line(std::max(w, h));
    for (int pass = 0; pass < 3; ++pass) {
        for (int y = 0; y < h; ++y) {
            QRgb *row = bits + y * rowStride;
            std::copy(row, row + w, line.begin());
            blurLine(line, row, w, 1, radius);
        }
        for (int x = 0; x < w; ++x) {
            for (int y = 0; y < h; ++y)
                line[y] = bits[y * rowStride + x];
            blurLine(line, bits + x, h, rowStride, radius);
        }
    }
}

void OvalShadow::paint(QPainter &painter, const QRectF &oval, const QPointF &offset,
                       qreal blurRadius, const QColor &colour)
{
    if (oval.isEmpty())
        return;
    if (blurRadius <= 0) {
        painter.save();
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour);
        painter.drawEllipse(oval.translated(offset));
        painter.restore();
        return;
    }

    // Device pixels per logical unit, taking in both the device's pixel ratio and any scaling
    // the caller set up (the application-icon snapshot draws the view enlarged).
    const qreal scale = std::sqrt(std::abs(painter.deviceTransform().determinant()));
    if (scale <= 0)
        return;
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        const Entry &e = m_entries.at(i);
        if (e.size == oval.size() && e.blurRadius == blurRadius && qFuzzyCompare(e.scale, scale)
            && e.colour == colour.rgba()) {
            m_entries.move(i, 0);
            drawAligned(painter, oval.topLeft() - QPointF(e.margin, e.margin) + offset,
                        m_entries.first().image);
            return;
        }
    }

    Entry e;
    // A Gaussian with sigma = blur / 2 has faded out three sigmas from the edge.
    e.margin = std::ceil(1.5 * blurRadius) + 1;
    const QSizeF logical = oval.size() + QSizeF(2 * e.margin, 2 * e.margin);
    QImage image(qMax(1, qCeil(logical.width() * scale)), qMax(1, qCeil(logical.height() * scale)),
                 QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(scale, scale);
        p.setPen(Qt::NoPen);
        p.setBrush(colour);
        p.drawEllipse(QRectF(QPointF(e.margin, e.margin), oval.size()));
    }
    // Three box passes of width 2r + 1 have a variance of ((2r + 1)^2 - 1) / 4 squared
    // pixels; solve for the sigma we want.
    const qreal sigma = blurRadius * scale / 2;
    boxBlur(image, qMax(1, qRound((std::sqrt(4 * sigma * sigma + 1) - 1) / 2)));
    image.setDevicePixelRatio(scale);
    e.image = image;
    e.size = oval.size();
    e.blurRadius = blurRadius;
    e.scale = scale;
    e.colour = colour.rgba();
    ++m_renderCount;
    m_entries.prepend(e);
    if (m_entries.size() > maxEntries)
        m_entries.removeLast();
    drawAligned(painter, oval.topLeft() - QPointF(e.margin, e.margin) + offset, image);
}

} // namespace Kalvoren
