#include "StatsView.h"

#include "PieSlice.h"

#include <QPaintEvent>
#include <QPainter>

#include <cmath>

using namespace Kalvoren;

namespace {

enum Slice { Wired, Active, Inactive, Free, SliceCount };

// The named greys, as fractions of white.
QColor grey(float white)
{
    return QColor::fromRgbF(white, white, white);
}

const QColor black = grey(0.0f);
const QColor darkGrey = grey(1.0f / 3.0f);
const QColor midGrey = grey(0.5f);
const QColor lightGrey = grey(2.0f / 3.0f);

// The slice colours of the full view, and of the mini variant per style. A style outside
// 0 to 3 has no colours: its slices stay white.
QColor sliceColour(Slice slice, bool mini, int mode)
{
    static const QColor colour[SliceCount] = { Qt::red, Qt::yellow, Qt::blue, Qt::green };
    static const QColor mono[SliceCount] = { black, black, black, lightGrey };
    static const QColor monoInverted[SliceCount] = { lightGrey, lightGrey, lightGrey, black };
    static const QColor grayscale[SliceCount] = { black, darkGrey, midGrey, lightGrey };
    if (!mini)
        return colour[slice];
    switch (mode) {
    case IconMono:
        return mono[slice];
    case IconMonoInverted:
        return monoInverted[slice];
    case IconGrayscale:
        return grayscale[slice];
    case IconColor:
        return colour[slice];
    default:
        return Qt::white;
    }
}

// A figure the pie can use: negative and non-finite values count as nothing.
float usable(float value)
{
    return std::isfinite(value) && value > 0 ? value : 0.0f;
}

} // namespace

StatsView::StatsView(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("statsView"));
}

void StatsView::setFigures(const PieFigures &figures)
{
    m_figures = figures;
    update();
}

void StatsView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    m_isMini = false;
    drawPie(painter, QRectF(rect()));
}

void StatsView::drawMiniPie(QPainter &painter, const QRectF &rect)
{
    m_isMini = true;
    drawPie(painter, rect);
    m_isMini = false;
}

void StatsView::drawPie(QPainter &painter, const QRectF &rect)
{
    const PieFigures &f = m_figures;
    const float free = usable(f.Free);
    const float inactive = usable(f.Inactive);
    const float active = usable(f.Active);
    const float wired = usable(f.Wired);
    const float sum = free + inactive + active + wired;

    const float u = float(rect.width()) / 100.0f;
    const QRectF pie(rect.x() + 6 * u, rect.y() + 6 * u, rect.width() - 12 * u,
                     rect.height() - 12 * u);

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);

    if (m_isMini) {
        // A light rim just outside the slices, a little lower than the pie.
        QPen ring(QColor::fromRgbF(1.0f, 1.0f, 1.0f, 0.9f));
        ring.setWidthF(1.0);
        painter.setPen(ring);
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(
                QRectF(pie.x() + 0.5, pie.y() + 0.3, pie.width() - 1.0, pie.height()));
    }

    // The translucent disc and its shadow: to the lower right and soft in the view, one
    // point to the upper right and sharp in the icon. The shadow takes the disc's own
    // alpha (0.5) times the shadow colour's (0.5).
    const QColor shadowColour = QColor::fromRgbF(0, 0, 0, 0.25f);
    if (m_isMini)
        m_shadow.paint(painter, pie, QPointF(1.0, -1.0), 0, shadowColour);
    else
        m_shadow.paint(painter, pie, QPointF(2 * u, 2 * u), 6 * u, shadowColour);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor::fromRgbF(0.5f, 0.5f, 0.5f, 0.5f));
    painter.drawEllipse(pie);

    // Without figures (no sample yet) there is nothing to divide: the empty disc stays.
    if (sum > 0 && std::isfinite(sum)) {
        const float k = 360.0f / sum;
        const float sweep[SliceCount] = { wired * k, active * k, inactive * k, free * k };
        float end = 90.0f;
        for (int s = Wired; s < SliceCount; ++s) {
            const float start = end - sweep[s];
            painter.setBrush(sliceColour(Slice(s), m_isMini, m_mode));
            painter.drawPath(PieSlice::pieSlicePath(pie, start, end));
            end = start;
        }
    }
    painter.restore();
}
