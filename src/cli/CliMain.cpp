#include "CliMain.h"

#include "Cli.h"
#include "SessionServices.h"
#include "platform/SettingsFile.h"
#include "platform/Translations.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace Kalvoren {

bool hasDisplay()
{
    return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")
            || !qEnvironmentVariableIsEmpty("DISPLAY")
            || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

QString desktopProgramPath()
{
    const QString self = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
    const QString beside = QFileInfo(self).absolutePath() + QLatin1String("/kalvoren-desktop");
    if (!self.isEmpty() && QFileInfo(beside).isExecutable())
        return beside;
    return QStringLiteral(KALVOREN_INSTALL_LIBEXECDIR "/kalvoren-desktop");
}

int cliMain(int argc, char **argv)
{
    reserveClosedStandardStreams();
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));

    if (!isCliInvocation(arguments) && hasDisplay()) {
        // argv[0] stays what the user typed: the X11 resource name comes from it.
        const QByteArray program = QFile::encodeName(desktopProgramPath());
        ::execv(program.constData(), argv);
        // No translation yet: the application object that loads it is not made.
        std::fprintf(stderr, "kalvoren: cannot start the desktop program %s: %s\n",
                     program.constData(), std::strerror(errno));
        return ExitFailure;
    }

    // Polite quit through X11, from the session module.
    setDefaultWindowCloser(Session::closeWindowsOfProcess);
    // Before any setting is read by a command.
    refuseIrregularSettingsFile(QStringLiteral("Kalvoren"), QStringLiteral("Kalvoren"));
    QCoreApplication app(argc, argv);
    applyUserLanguage(&app);
    if (!isCliInvocation(arguments)) {
        printError(CliContext(), Cli::tr("no display (DISPLAY and WAYLAND_DISPLAY are unset); "
                                         "printing the memory figures instead"));
        return printStatsOnce(CliContext());
    }
    return runCli(arguments, CliContext());
}

} // namespace Kalvoren
