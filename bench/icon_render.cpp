// Cost of drawing the pie: one icon refresh (the 20 x 20 status icon, and the application-icon
// snapshot when that option is on) and one full repaint of the main window's 160 x 160 pie,
// each against filling an image of the same size in the same run.
//
//   bench_icon_render [iterations]     (default 2000)
#include "views/IconRenderer.h"
#include "views/StatsView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QIcon>
#include <QPainter>
#include <QPixmap>

#include <algorithm>
#include <cstdio>
#include <functional>

using namespace Kalvoren;

namespace {

// Microseconds per call: the best of five rounds of iterations calls, so that a busy
// neighbour on the machine inflates the figure as little as possible.
double microsecondsPerOp(int iterations, const std::function<void()> &op)
{
    for (int i = 0; i < iterations / 10 + 1; ++i)
        op(); // warm up, fill caches
    double best = 1e300;
    for (int round = 0; round < 5; ++round) {
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < iterations; ++i)
            op();
        best = std::min(best, timer.nsecsElapsed() / 1000.0 / iterations);
    }
    return best;
}

void report(const char *what, double us, const char *baselineName, double baseline)
{
    std::printf("%-44s %9.2f us/op   %-26s %8.2f us/op   ratio %7.1f\n", what, us, baselineName,
                baseline, us / baseline);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int iterations = argc > 1 ? std::max(1, atoi(argv[1])) : 2000;

    const PieFigures figures { 9.3e9f, 2.1e9f, 3.4e9f, 1.2e9f };
    StatsView view;
    view.resize(160, 160);
    view.setFigures(figures);
    view.setmode(IconGrayscale);

    std::printf("icon_render: %d iterations per round, best of 5 rounds\n", iterations);

    // The status icon, as the refresh makes it: render, wrap for the tray.
    for (const qreal dpr : { 1.0, 2.0 }) {
        const int pixels = qCeil(statusIconSize * dpr);
        const double fill = microsecondsPerOp(iterations, [&] {
            QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            QIcon icon(QPixmap::fromImage(image));
        });
        const double icon = microsecondsPerOp(iterations, [&] {
            QIcon icon(QPixmap::fromImage(renderStatusIcon(view, dpr)));
        });
        char label[64];
        std::snprintf(label, sizeof label, "status icon refresh (20x20 @%gx)", dpr);
        report(label, icon, "fill+wrap same image", fill);
    }

    // The main window's pie, one full repaint into an image of the view's size.
    QImage canvas(160, 160, QImage::Format_ARGB32_Premultiplied);
    const double fill160 = microsecondsPerOp(iterations, [&] { canvas.fill(Qt::white); });
    const double repaint = microsecondsPerOp(iterations, [&] {
        canvas.fill(Qt::white);
        QPainter painter(&canvas);
        view.drawPie(painter, QRectF(0, 0, 160, 160));
    });
    report("full pie repaint (160x160, shadow cached)", repaint, "fill 160x160", fill160);

    // The same repaint when the blurred shadow has to be made again each time (the first
    // paint, or a paint after the size changed).
    const int uncachedIterations = std::max(1, iterations / 10);
    const double uncached = microsecondsPerOp(uncachedIterations, [&] {
        StatsView fresh;
        fresh.resize(160, 160);
        fresh.setFigures(figures);
        canvas.fill(Qt::white);
        QPainter painter(&canvas);
        fresh.drawPie(painter, QRectF(0, 0, 160, 160));
    });
    report("full pie repaint, shadow made anew", uncached, "fill 160x160", fill160);

    // The application-icon snapshot, when that option is on.
    const double fill256 = microsecondsPerOp(iterations, [&] {
        QImage image(256, 256, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QIcon icon(QPixmap::fromImage(image));
    });
    const double snapshot = microsecondsPerOp(iterations, [&] {
        QIcon icon(QPixmap::fromImage(renderAppIcon(view)));
    });
    report("application icon snapshot (256x256)", snapshot, "fill+wrap 256x256", fill256);
    std::printf("blurred shadows made during the run: %d\n", view.shadowRenderCount());
    return 0;
}
