// One repaint of the history chart at 600 x 200 with 300 samples (ten minutes), against
// filling an image of the same size in the same run. Goal: at most 2 ms a repaint.
//
//   bench_chart_repaint [iterations]     (default 500)
#include "log/LoggerView.h"
#include "log/MemoryHistory.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdio>

using namespace Kalvoren;

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int iterations = argc > 1 ? std::max(1, atoi(argv[1])) : 500;

    // Figures that move, so every polygon has 300 distinct corners.
    MemoryHistory history;
    MemorySample sample;
    sample.swapTotalBytes = 8ull << 30;
    for (int i = 0; i < 300; ++i) {
        const float wave = float(std::sin(i / 10.0));
        MemoryFigures f;
        f.Wired = 1.0e9f;
        f.Active = 3.0e9f + 1.0e9f * wave;
        f.Inactive = 2.0e9f - 0.5e9f * wave;
        f.Free = 10.0e9f - 0.5e9f * wave;
        sample.swapFreeBytes = (8ull << 30) - quint64(1.0e9 * (1 + wave));
        sample.pressure = MemoryPressure { { 5.0 + 5.0 * wave, 0, 0, 0 },
                                           MemoryPressure::Line { 1.0, 0, 0, 0 } };
        history.append(sample, f, 1'000'000 + qint64(i) * 2000);
    }
    LoggerView view;
    view.setHistory(&history);
    QImage canvas(600, 200, QImage::Format_ARGB32_Premultiplied);

    const auto millisecondsPer = [&](auto body) {
        double best = 1e9;
        for (int round = 0; round < 5; ++round) {
            QElapsedTimer timer;
            timer.start();
            for (int i = 0; i < iterations; ++i)
                body();
            best = std::min(best, double(timer.nsecsElapsed()) / 1e6 / iterations);
        }
        return best;
    };
    const double fill = millisecondsPer([&] { canvas.fill(Qt::white); });
    const double chart = millisecondsPer([&] {
        QPainter painter(&canvas);
        view.drawChart(painter, QRectF(0, 0, 600, 200));
    });
    std::printf("chart_repaint: %d iterations, best of 5 rounds\n", iterations);
    std::printf("filling the 600 x 200 image:     %8.3f ms\n", fill);
    std::printf("chart with 300 samples:          %8.3f ms (%.1fx the fill; goal <= 2 ms)\n",
                chart, chart / fill);
    return chart <= 2.0 ? 0 : 1;
}
