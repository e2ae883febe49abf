#include "AppController.h"
#include "WindowPlacement.h"

#include "benchmark/Benchmark.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

using Kalvoren::centreAndShow;

namespace Kalvoren {

void centreAndShow(QWidget *window)
{
    if (!window)
        return;
    QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        const QRect area = screen->availableGeometry();
        QRect frame = window->frameGeometry();
        frame.moveCenter(area.center());
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
    centreAndShow(aboutBox);
}

void AppController::showLoggerWindow()
{
    centreAndShow(loggerWindow);
}

void AppController::showBenchmarkWindow()
{
    centreAndShow(benchmarkWindow);
    // A fresh proposal from the current figures every time the window opens.
    if (benchmarkObject)
        benchmarkObject->suggest();
}

void AppController::showProcessWindow()
{
    centreAndShow(processWindow);
}
