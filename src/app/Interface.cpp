#include "Interface.h"

#include "AppController.h"
#include "MainWindow.h"
#include "platform/Platform.h"

#include <QCoreApplication>
#include <QProgressBar>
#include <QPushButton>

#include <cstdio>
#include <cstdlib>

namespace Kalvoren {

Interface::Interface() = default;
Interface::~Interface() = default;

std::unique_ptr<Interface> createInterface(std::unique_ptr<Platform> platform)
{
    auto ui = std::make_unique<Interface>();
    ui->controller = std::make_unique<AppController>(std::move(platform));
    ui->mainWindow = std::make_unique<MainWindow>();

    AppController *c = ui->controller.get();
    MainWindow *w = ui->mainWindow.get();
    c->mainWindow = w;
    c->statsView = w->statsView();
    c->theMainButton = w->mainButton();
    c->setProgress(w->progress());
    c->freeInfo = w->freeInfo();
    c->inactiveInfo = w->inactiveInfo();
    c->wiredInfo = w->wiredInfo();
    c->activeInfo = w->activeInfo();
    c->ramView = w->ramView();
    QObject::connect(w->mainButton(), &QPushButton::clicked, c, [c] { c->goButton(); });

    // -- tray and menus --

    // -- memory log --

    // -- benchmark --

    // -- process monitor --

    // -- optimizer and notices --

    // Closing the main window ends the program at once with status 0.
    QObject::connect(w, &MainWindow::closeRequested, [] {
        std::fflush(nullptr);
        std::exit(0);
    });
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, c,
                     [c] { c->applicationShouldTerminate(); });
    return ui;
}

} // namespace Kalvoren
