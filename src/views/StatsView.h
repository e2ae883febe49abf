#pragma once

#include "OvalShadow.h"

#include <QPointer>
#include <QWidget>

class QPainter;

namespace Kalvoren {

// The four figures the pie divides, in bytes.
struct PieFigures
{
    float Free = 0;
    float Inactive = 0;
    float Active = 0;
    float Wired = 0;
};

// Icon styles of the status icon; the values are what the "icon" setting stores.
enum IconStyle : int {
    IconMono = 0,
    IconMonoInverted = 1,
    IconGrayscale = 2,
    IconColor = 3,
};

} // namespace Kalvoren

// The pie chart of memory use: a disc with a soft shadow under four slices (wired, active,
// inactive, free, clockwise from 12 o'clock), drawn from the figures it was last given. The mini variant, drawn into the status icon, takes the colours of the icon
// style and a thin light ring.
class StatsView : public QWidget
{
    Q_OBJECT

public:
    explicit StatsView(QWidget *parent = nullptr);

    // The figures to draw; the view repaints. Zeros (before the first sample) draw the empty
    // disc.
    void setFigures(const Kalvoren::PieFigures &figures);
    Kalvoren::PieFigures figures() const { return m_figures; }

    // The icon style used by the mini variant only. Does not repaint: the next icon refresh
    // picks it up.
    void setmode(int mode) { m_mode = mode; }
    int mode() const { return m_mode; }
    bool isMini() const { return m_isMini; }

    // The full pie, as the view shows it, into rect.
    void drawPie(QPainter &painter, const QRectF &rect);
    // The mini variant in the current style, for the status icon.
    void drawMiniPie(QPainter &painter, const QRectF &rect);

    // Lets tests and benchmarks see that the blurred shadow is reused between repaints.
    int shadowRenderCount() const { return m_shadow.renderCount(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Kalvoren::PieFigures m_figures;
    int m_mode = Kalvoren::IconMono;
    bool m_isMini = false;
    Kalvoren::OvalShadow m_shadow;
};
