#include "AppController.h"
#include "WindowPlacement.h"

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
}

void AppController::showProcessWindow()
{
    centreAndShow(processWindow);
}
