#include "LoggerView.h"

#include "Logger.h"
#include "log/MemoryHistory.h"
#include "stats/MemoryFigures.h"

#include <QDateTime>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <array>
#include <cmath>

using namespace Kalvoren;

namespace {

constexpr qint64 fullSpanMs = 10 * 60 * 1000;
constexpr qint64 compactSpanMs = 5 * 60 * 1000;
constexpr int axisHeight = 16;

// The pie's colours, bottom band first.
const QColor bandColours[] = { Qt::red, Qt::yellow, Qt::blue, Qt::green };
const QColor swapColour = Qt::magenta;
const QColor pressureColour(255, 140, 0);

// The stacked tops of the four bands at a point: wired, + active, + inactive, + free.
std::array<float, 4> stackedTops(const HistoryPoint &p)
{
    const auto usable = [](float v) { return std::isfinite(v) && v > 0 ? v : 0.0f; };
    std::array<float, 4> tops {};
    tops[0] = usable(p.wired);
    tops[1] = tops[0] + usable(p.active);
    tops[2] = tops[1] + usable(p.inactive);
    tops[3] = tops[2] + usable(p.free);
    return tops;
}

} // namespace

LoggerView::LoggerView(QWidget *parent)
    : QWidget(parent)
{
    setMouseTracking(true);
}

Logger *LoggerView::ds() const
{
    return m_ds;
}

void LoggerView::setDs(Logger *dataSource)
{
    m_ds = dataSource;
}

void LoggerView::setHistory(const MemoryHistory *history)
{
    m_history = history;
    update();
}

void LoggerView::setCompact(bool compact)
{
    m_compact = compact;
    setMouseTracking(!compact);
    update();
}

qint64 LoggerView::spanMs() const
{
    return m_compact ? compactSpanMs : fullSpanMs;
}

QSize LoggerView::sizeHint() const
{
    return m_compact ? QSize(180, 48) : QSize(600, 200);
}

QRectF LoggerView::plotArea(const QRectF &rect) const
{
    if (m_compact)
        return rect.adjusted(1, 1, -1, -1);
    return rect.adjusted(4, 4, -4, -4 - axisHeight);
}

void LoggerView::drawChart(QPainter &painter, const QRectF &rect) const
{
    const QRectF plot = plotArea(rect);
    painter.save();
    painter.fillRect(rect, palette().window());
    painter.fillRect(plot, palette().base());
    if (!m_history || m_history->isEmpty() || plot.width() < 2 || plot.height() < 2) {
        painter.restore();
        return;
    }
    const MemoryHistory &h = *m_history;
    const qint64 end = h.last().timeMs;
    const qint64 start = end - spanMs();
    int first = h.size() - 1;
    while (first > 0 && h.at(first - 1).timeMs >= start)
        --first;
    float top = 1;
    for (int i = first; i < h.size(); ++i)
        top = std::max(top, stackedTops(h.at(i))[3]);
    const auto xOf = [&](qint64 t) {
        return plot.left() + double(t - start) / double(spanMs()) * plot.width();
    };
    const auto yOfBytes = [&](float bytes) {
        return plot.bottom() - double(std::min(bytes, top)) / double(top) * plot.height();
    };

    // The bands, the whole stack first and each lower band over it.
    const bool single = first == h.size() - 1;
    for (int band = 3; band >= 0; --band) {
        QPolygonF area;
        area.reserve(h.size() - first + 3);
        for (int i = first; i < h.size(); ++i)
            area << QPointF(xOf(h.at(i).timeMs), yOfBytes(stackedTops(h.at(i))[size_t(band)]));
        if (single) // one sample: a sliver at the right edge
            area << QPointF(plot.right(), area.first().y());
        area << QPointF(area.last().x(), plot.bottom()) << QPointF(area.first().x(), plot.bottom());
        painter.setPen(Qt::NoPen);
        painter.setBrush(bandColours[band]);
        painter.drawPolygon(area);
    }

    // Swap use on the same scale, and pressure in percent of the height.
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    QPainterPath swap;
    QPainterPath pressure;
    bool swapDown = false;
    bool pressureDown = false;
    for (int i = first; i < h.size(); ++i) {
        const HistoryPoint &p = h.at(i);
        const double x = xOf(p.timeMs);
        if (p.swapTotal > 0) {
            const QPointF at(x, yOfBytes(p.swapUsed));
            swapDown ? swap.lineTo(at) : swap.moveTo(at);
        }
        swapDown = p.swapTotal > 0;
        if (p.pressure >= 0) {
            const QPointF at(x, plot.bottom() - std::min(p.pressure, 100.0f) / 100.0 * plot.height());
            pressureDown ? pressure.lineTo(at) : pressure.moveTo(at);
        }
        pressureDown = p.pressure >= 0;
    }
    painter.setPen(QPen(swapColour, 2));
    painter.drawPath(swap);
    painter.setPen(QPen(pressureColour, 1.5, Qt::DashLine));
    painter.drawPath(pressure);

    if (!m_compact) {
        // A tick a minute back from the newest sample, labelled every other minute.
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawLine(plot.bottomLeft(), plot.bottomRight());
        const QFontMetrics metrics = painter.fontMetrics();
        for (int minutes = 0; minutes * 60000 <= spanMs(); ++minutes) {
            const double x = xOf(end - qint64(minutes) * 60000);
            painter.drawLine(QPointF(x, plot.bottom()), QPointF(x, plot.bottom() + 3));
            if (minutes % 2 != 0)
                continue;
            const QString label = minutes == 0 ? tr("now") : tr("-%1 min").arg(minutes);
            const double width = metrics.horizontalAdvance(label);
            const double left = std::clamp(x - width / 2, rect.left(), rect.right() - width);
            painter.drawText(QPointF(left, plot.bottom() + 3 + metrics.ascent()), label);
        }
        if (m_pointerX >= plot.left() && m_pointerX <= plot.right()) {
            const QString text = readoutAt(m_pointerX, rect);
            const int index = nearestPoint(m_pointerX, plot);
            const double x = xOf(h.at(index).timeMs);
            painter.setPen(QPen(palette().color(QPalette::WindowText), 1, Qt::DotLine));
            painter.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
            QRectF box = metrics.boundingRect(QRect(0, 0, 1000, 200), 0, text);
            box.adjust(-4, -2, 4, 2);
            box.moveTopLeft(plot.topLeft() + QPointF(4, 4));
            if (x < box.right() + 8)
                box.moveRight(plot.right() - 4);
            painter.setPen(palette().color(QPalette::ToolTipText));
            painter.setBrush(palette().toolTipBase());
            painter.drawRect(box);
            painter.drawText(box.adjusted(4, 2, -4, -2), 0, text);
        }
    }
    painter.restore();
}

int LoggerView::nearestPoint(qreal x, const QRectF &plot) const
{
    const MemoryHistory &h = *m_history;
    const qint64 end = h.last().timeMs;
    const qint64 t = end - spanMs()
            + qint64((x - plot.left()) / plot.width() * double(spanMs()));
    int best = h.size() - 1;
    for (int i = h.size() - 1; i >= 0; --i) {
        if (std::abs(h.at(i).timeMs - t) < std::abs(h.at(best).timeMs - t))
            best = i;
        if (h.at(i).timeMs < t)
            break;
    }
    return best;
}

QString LoggerView::readoutAt(qreal x, const QRectF &rect) const
{
    if (!m_history || m_history->isEmpty())
        return QString();
    const HistoryPoint &p = m_history->at(nearestPoint(x, plotArea(rect)));
    QString text = QDateTime::fromMSecsSinceEpoch(p.timeMs).toString(QStringLiteral("HH:mm:ss"));
    text += QLatin1Char('\n') + tr("Free %1, inactive %2").arg(megabytesText(p.free),
                                                               megabytesText(p.inactive));
    text += QLatin1Char('\n') + tr("Active %1, wired %2").arg(megabytesText(p.active),
                                                             megabytesText(p.wired));
    if (p.swapTotal > 0)
        text += QLatin1Char('\n') + tr("Swap %1").arg(megabytesText(p.swapUsed));
    if (p.pressure >= 0)
        text += QLatin1Char('\n') + tr("Pressure %1 %").arg(fixedText(p.pressure, 1));
    return text;
}

void LoggerView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    drawChart(painter, QRectF(rect()));
}

void LoggerView::mouseMoveEvent(QMouseEvent *event)
{
    m_pointerX = event->position().x();
    update();
}

void LoggerView::leaveEvent(QEvent *)
{
    m_pointerX = -1;
    update();
}
