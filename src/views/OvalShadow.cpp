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
    if (m_image.isNull() || m_size != oval.size() || m_blurRadius != blurRadius
        || !qFuzzyCompare(m_scale, scale) || m_colour != colour.rgba()) {
        // A Gaussian with sigma = blur / 2 has faded out three sigmas from the edge.
        m_margin = std::ceil(1.5 * blurRadius) + 1;
        const QSizeF logical = oval.size() + QSizeF(2 * m_margin, 2 * m_margin);
        QImage image(qMax(1, qCeil(logical.width() * scale)),
                     qMax(1, qCeil(logical.height() * scale)),
                     QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter p(&image);
            p.setRenderHint(QPainter::Antialiasing);
            p.scale(scale, scale);
            p.setPen(Qt::NoPen);
            p.setBrush(colour);
            p.drawEllipse(QRectF(QPointF(m_margin, m_margin), oval.size()));
        }
        // Three box passes of width 2r + 1 have a variance of (2r + 1)^2 / 4 - 1/4 squared
        // pixels; solve for the sigma we want.
        const qreal sigma = blurRadius * scale / 2;
        const int radius = qMax(1, qRound((std::sqrt(4 * sigma * sigma + 1) - 1) / 2));
        boxBlur(image, radius);
        image.setDevicePixelRatio(scale);
        m_image = image;
        m_size = oval.size();
        m_blurRadius = blurRadius;
        m_scale = scale;
        m_colour = colour.rgba();
        ++m_renderCount;
    }
    painter.drawImage(oval.topLeft() - QPointF(m_margin, m_margin) + offset, m_image);
}

} // namespace Kalvoren
