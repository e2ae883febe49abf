#include "LoggerView.h"

#include "Logger.h"
#include "log/MemoryHistory.h"
#include "stats/MemoryFigures.h"

#include <QDateTime>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

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

    // Each band between its lower and its upper edge, so no pixel is filled twice.
    const bool single = first == h.size() - 1;
    const int count = h.size() - first;
    QList<double> xs(count);
    QList<double> edges((count) * 5);
    for (int i = 0; i < count; ++i) {
        const HistoryPoint &p = h.at(first + i);
        xs[i] = xOf(p.timeMs);
        const std::array<float, 4> tops = stackedTops(p);
        edges[i * 5] = plot.bottom();
        for (int band = 0; band < 4; ++band)
            edges[i * 5 + band + 1] = yOfBytes(tops[size_t(band)]);
    }
    painter.setPen(Qt::NoPen);
    QPolygonF area;
    area.reserve(2 * count + 2);
    for (int band = 0; band < 4; ++band) {
        area.clear();
        for (int i = 0; i < count; ++i)
            area << QPointF(xs[i], edges[i * 5 + band + 1]);
        if (single) // one sample: a sliver at the right edge
            area << QPointF(plot.right(), area.last().y());
        for (int i = count - 1; i >= 0; --i)
            area << QPointF(xs[i], edges[i * 5 + band]);
        if (single)
            area.insert(area.size() - 1, QPointF(plot.right(), edges[band]));
        painter.setBrush(bandColours[band]);
        painter.drawPolygon(area);
    }

    // Swap use on the same scale, and pressure in percent of the height, as polylines broken
    // where a sample does not say. Each is two antialiased one-pixel lines a pixel apart: Qt
    // draws those many times faster than one line two pixels wide.
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    const auto drawLine = [&](QPen pen, auto pointOf) {
        pen.setWidth(1);
        pen.setCosmetic(true);
        painter.setPen(pen);
        const auto stroke = [&painter](const QPolygonF &line) {
            if (line.size() < 2)
                return;
            painter.drawPolyline(line.translated(0, 0.5)); // on the pixel rows, not between
            painter.drawPolyline(line.translated(0, 1.5));
        };
        QPolygonF line;
        line.reserve(count);
        for (int i = 0; i < count; ++i) {
            const std::optional<double> y = pointOf(h.at(first + i));
            if (y) {
                line << QPointF(xs[i], *y);
                continue;
            }
            stroke(line);
            line.clear();
        }
        stroke(line);
    };
    drawLine(QPen(swapColour), [&](const HistoryPoint &p) {
        return p.swapTotal > 0 ? std::optional<double>(yOfBytes(p.swapUsed)) : std::nullopt;
    });
    drawLine(QPen(pressureColour, 1, Qt::DashLine), [&](const HistoryPoint &p) {
        return p.pressure >= 0 ? std::optional<double>(
                       plot.bottom() - std::min(p.pressure, 100.0f) / 100.0 * plot.height())
                               : std::nullopt;
    });

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
