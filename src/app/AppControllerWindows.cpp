#include "AppController.h"
#include "PanelPlacement.h"
#include "WindowPlacement.h"

#include "benchmark/Benchmark.h"

#include <QApplication>
#include <QScreen>
#include <QStyle>
#include <QWidget>

using Kalvoren::placeAndShow;

namespace Kalvoren {

void placeAndShow(QWidget *window)
{
    if (!window)
        return;
    QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    // A window already open stays where the user put it; it only comes forward.
    if (screen && !window->isVisible()) {
        int othersOpen = 0;
        for (const QWidget *other : QApplication::topLevelWidgets()) {
            const Qt::WindowType type = other->windowType();
            if (other != window && other->isVisible()
                && (type == Qt::Window || type == Qt::Dialog))
                ++othersOpen;
        }
        // The frame is known once the window has been shown; before, allow for a title bar.
        QSize decoration = window->frameGeometry().size() - window->size();
        if (decoration.height() <= 0)
            decoration = QSize(0, window->style()->pixelMetric(QStyle::PM_TitleBarHeight));
        const QRect frame = windowFrame(window->size() + decoration,
                                        screen->availableGeometry(), othersOpen);
        if (frame.size() != window->size() + decoration)
            window->resize(frame.size() - decoration);
        window->move(frame.topLeft());
    }
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace Kalvoren

void AppController::setWindows(QWidget *about, QWidget *logger, QWidget *benchmark,
                               QWidget *processes)
{
    aboutBox = about;
    loggerWindow = logger;
    benchmarkWindow = benchmark;
    processWindow = processes;
}

void AppController::setBenchmark(Benchmark *benchmark)
{
    benchmarkObject = benchmark;
}

void AppController::showAbout()
{
    placeAndShow(aboutBox);
}

void AppController::showLoggerWindow()
{
    placeAndShow(loggerWindow);
}

void AppController::showBenchmarkWindow()
{
    placeAndShow(benchmarkWindow);
    // A fresh proposal from the current figures every time the window opens.
    if (benchmarkObject)
        benchmarkObject->suggest();
}

void AppController::showProcessWindow()
{
    placeAndShow(processWindow);
}
