#include "AppController.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace {

// Centres a window on the screen that holds it (or the primary one) and brings it to the
// front. A window that does not exist yet is left alone.
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

} // namespace

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
