#include "KalvorenMain.h"

#include "AppController.h"
#include "AppIcon.h"
#include "Interface.h"
#include "MainWindow.h"
#include "MyApplication.h"
#include "SingleInstance.h"
#include "StartupTrace.h"
#include "cli/Cli.h"
#include "platform/Platform.h"
#include "platform/x11/X11WindowCloser.h"

#include <QApplication>

#include <cstdio>

namespace Kalvoren {

bool hasDisplay()
{
    return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")
            || !qEnvironmentVariableIsEmpty("DISPLAY")
            || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

int kalvorenMain(int argc, char **argv)
{
    markMainStarted();
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));

    setDefaultWindowCloser(closeWindowsOfProcess); // polite quit through X11
    if (isCliInvocation(arguments)) {
        QCoreApplication app(argc, argv);
        return runCli(arguments, CliContext());
    }
    if (!hasDisplay()) {
        std::fputs("kalvoren: no display (DISPLAY and WAYLAND_DISPLAY are unset); "
                   "printing the memory figures instead\n",
                   stderr);
        QCoreApplication app(argc, argv);
        return printStatsOnce(CliContext());
    }

    MyApplication app(argc, argv);
    // One Kalvoren per session: a second start shows the first one's window and ends.
    QDBusConnection bus = QDBusConnection::sessionBus();
    QString busMessage;
    InstanceRole role = registerInstance(&app, bus, &busMessage);
    if (role == InstanceRole::Second) {
        if (const std::optional<int> status =
                    handOverToRunningInstance(&app, bus, &role, &busMessage))
            return *status;
    }
    if (role == InstanceRole::Standalone)
        qWarning("kalvoren: %s", qUtf8Printable(busMessage));

    // Task bars show this icon; the controller keeps it to restore after the memory pie.
    QApplication::setWindowIcon(applicationIcon());
    // The Wayland app_id, by which compositors find the desktop entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.kalvoren.Kalvoren"));
    std::unique_ptr<Interface> ui = createInterface(createPlatform());
    app.setDelegate(ui->controller.get());
    traceFirstFigures(ui->controller.get());
    // The first icon refresh (inside awakeFromNib) shows the window: hidden under a tray
    // icon when there is a tray, or as an ordinary window when there is none.
    ui->controller->awakeFromNib();
    return app.exec();
}

} // namespace Kalvoren
