#pragma once

#include <QPointer>
#include <QWidget>

class Logger;

namespace Kalvoren {
class MemoryHistory;
}

// The history chart: the recent samples as stacked areas in the pie's colours (wired, active,
// inactive and free from the bottom up), swap use and memory pressure as lines, a time axis,
// and a readout of the sample under the pointer. The memory log window shows it in full; the
// drop-down window a compact one without axis and readout.
//
// It only draws what the history holds when it is asked to paint: a hidden chart costs
// nothing, and a repaint is a handful of polygons.
class LoggerView : public QWidget
{
    Q_OBJECT

public:
    explicit LoggerView(QWidget *parent = nullptr);

    Logger *ds() const;
    void setDs(Logger *dataSource);

    // The samples to draw; not owned. The chart repaints when told (update()).
    void setHistory(const Kalvoren::MemoryHistory *history);
    // Compact: no time axis, no readout, the last five minutes instead of ten.
    void setCompact(bool compact);
    bool isCompact() const { return m_compact; }
    // The time the chart spans, ending at the newest sample.
    qint64 spanMs() const;

    // The chart as it paints itself into rect (tests and benchmarks draw into images).
    void drawChart(QPainter &painter, const QRectF &rect) const;
    // The readout for the sample nearest to x in a chart drawn into rect; empty without one.
    QString readoutAt(qreal x, const QRectF &rect) const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    QRectF plotArea(const QRectF &rect) const;
    int nearestPoint(qreal x, const QRectF &plot) const;

    QPointer<Logger> m_ds;
    const Kalvoren::MemoryHistory *m_history = nullptr;
    bool m_compact = false;
    qreal m_pointerX = -1; // where the pointer is over the chart, -1 when it is not
};
