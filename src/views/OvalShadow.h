#pragma once

#include <QColor>
#include <QImage>
#include <QList>
#include <QPointF>
#include <QRectF>

class QPainter;

namespace Kalvoren {

// The soft drop shadow of a filled oval. Blurring is the costly part, so the blurred images
// are kept and reused while the oval's size, the blur, the colour and the device scale stay
// the same: the pie is redrawn every two seconds at one size, and the application-icon
// snapshot draws it at a second scale, so a few entries are kept side by side.
class OvalShadow
{
public:
    // Paints the shadow that an oval filled in oval would cast: the oval filled with colour,
    // blurred by blurRadius (logical units, roughly twice the Gaussian's sigma) and moved by
    // offset. A blur radius of 0 paints a sharp oval.
    void paint(QPainter &painter, const QRectF &oval, const QPointF &offset, qreal blurRadius,
               const QColor &colour);

    // How many times a blurred image was made; lets tests and benchmarks see the reuse.
    int renderCount() const { return m_renderCount; }

private:
    struct Entry
    {
        QImage image;
        QSizeF size;
        qreal blurRadius = 0;
        qreal scale = 0;
        QRgb colour = 0;
        qreal margin = 0;
    };
    static constexpr int maxEntries = 3;

    QList<Entry> m_entries; // most recently used first
    int m_renderCount = 0;
};

// Blurs a premultiplied ARGB image in place with three passes of a box blur of the given
// radius in pixels (together close to a Gaussian); pixels outside count as transparent.
void boxBlur(QImage &image, int radius);

} // namespace Kalvoren
