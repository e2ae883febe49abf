#include "KalvorenMain.h"

#include "AppController.h"
#include "AppIcon.h"
#include "Interface.h"
#include "MyApplication.h"
#include "SingleInstance.h"
#include "StartupTrace.h"
#include "cli/Cli.h"
#include "platform/Platform.h"
#include "platform/SettingsFile.h"
#include "platform/Translations.h"
#include "platform/x11/X11WindowCloser.h"
#include "stats/MemorySampler.h"

#include <QApplication>
#include <QTimer>

#include <malloc.h>

namespace Kalvoren {

int desktopMain(int argc, char **argv)
{
    markMainStarted();
    reserveClosedStandardStreams();
    // Before the bus name is taken and before any setting is read.
    refuseIrregularSettingsFile(QStringLiteral("Kalvoren"), QStringLiteral("Kalvoren"));
    setDefaultWindowCloser(closeWindowsOfProcess); // polite quit through X11

    MyApplication app(argc, argv);
    applyUserLanguage(&app);
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
    std::unique_ptr<Interface> ui = createInterface(createPlatform());
    app.setDelegate(ui->controller.get());
    traceFirstFigures(ui->sampler.get());
    // The first icon refresh (in the first sample) shows the window: hidden under a tray
    // icon when there is a tray, or as an ordinary window when there is none.
    ui->controller->start();
    // Start-up (fonts, the first windows, the bus) leaves freed memory inside the heap that
    // the allocator keeps; hand it back once the program has settled, as it then idles for hours.
    QTimer::singleShot(5000, &app, [] { malloc_trim(0); });
    const int status = app.exec();
    // The interface goes first: its workers are cancelled and joined while the application
    // object still exists.
    ui.reset();
    return status;
}

} // namespace Kalvoren
