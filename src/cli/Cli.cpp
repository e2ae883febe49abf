#include "Cli.h"

#include "BenchmarkCommand.h"
#include "OptimizeCommand.h"
#include "ProcessesCommand.h"
#include "StatsCommand.h"
#include "platform/Platform.h"

#include <QByteArray>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <unistd.h>

namespace Kalvoren {
namespace {

struct Command
{
    const char *name;
    const char *summary;
    int (*run)(const QStringList &arguments, const CliContext &context);
};

const Command commands[] = {
    { "stats",
      QT_TRANSLATE_NOOP("Kalvoren::Cli", "print free, inactive, wired and active memory"),
      runStatsCommand },
    // optimize
    { "optimize",
      QT_TRANSLATE_NOOP("Kalvoren::Cli", "reclaim inactive memory now (Ctrl-C cancels)"),
      runOptimizeCommand },

    // benchmark
    { "benchmark", QT_TRANSLATE_NOOP("Kalvoren::Cli", "time allocating, using and freeing memory"),
      runBenchmarkCommand },

    // processes
    { "processes",
      QT_TRANSLATE_NOOP("Kalvoren::Cli",
                        "list processes by resident memory; quit or force quit one"),
      runProcessesCommand },
};

QString usage()
{
    QString text = Cli::tr(
            "Usage: kalvoren [COMMAND] [OPTIONS]\n"
            "Shows how physical memory is used and reclaims inactive memory.\n"
            "Without a command, starts the desktop program (tray icon and window).\n\n"
            "Commands:\n");
    for (const Command &command : commands) {
        text += QStringLiteral("  ") + QString::fromLatin1(command.name).leftJustified(10)
                + QStringLiteral("  ") + Cli::tr(command.summary) + QLatin1Char('\n');
    }
    text += Cli::tr(
            "\nOptions:\n"
            "  --platform NAME  read the system through 'linux' (default) or 'commands'\n"
            "                   (vm_stat, top, purge ... on PATH)\n"
            "  -h, --help       show this help (kalvoren COMMAND --help for a command)\n"
            "  -V, --version    show the version\n");
    return text;
}

// The first write that failed since runCli began: its stream and errno.
struct WriteFailure
{
    FILE *stream = nullptr;
    int error = 0;
};

WriteFailure &firstWriteFailure()
{
    static WriteFailure failure;
    return failure;
}

void writeBytes(FILE *stream, const QByteArray &bytes)
{
    errno = 0;
    const bool written = std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream)
                    == size_t(bytes.size())
            && std::fflush(stream) == 0;
    if (!written && !firstWriteFailure().stream)
        firstWriteFailure() = { stream, errno };
}

// Lost output is a failure, as in the coreutils: "kalvoren: write error: REASON", and a
// non-zero exit status even when the command itself went well.
int checkOutput(const CliContext &context, int status)
{
    FILE *out = context.streams.out;
    errno = 0;
    const bool flushed = std::fflush(out) == 0;
    if (flushed && !std::ferror(out))
        return status;
    const int error = firstWriteFailure().stream == out ? firstWriteFailure().error : errno;
    printError(context, error != 0 ? Cli::tr("write error: %1")
                                             .arg(QString::fromLocal8Bit(std::strerror(error)))
                                   : Cli::tr("write error"));
    return status == ExitOk ? ExitFailure : status;
}

} // namespace

void printLine(FILE *stream, const QString &line)
{
    writeBytes(stream, line.toLocal8Bit() + '\n');
}

void printText(FILE *stream, const QString &text)
{
    writeBytes(stream, text.toLocal8Bit());
}

void reserveClosedStandardStreams()
{
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        // open() takes the lowest free number, which is fd: the lower ones are open by now.
        const int opened = ::open("/dev/null", O_RDONLY);
        if (opened >= 0 && opened != fd)
            ::close(opened);
    }
}

void printError(const CliContext &context, const QString &message)
{
    printLine(context.streams.err, QStringLiteral("kalvoren: ") + message);
}

bool readInput(const QString &from, const CliContext &context, qsizetype maxBytes,
               QByteArray *bytes, QString *error)
{
    QFile file;
    bool opened = false;
    if (from == QLatin1String("-")) {
        opened = file.open(context.streams.in, QIODevice::ReadOnly);
    } else {
        file.setFileName(from);
        opened = file.open(QIODevice::ReadOnly);
    }
    if (!opened) {
        *error = Cli::tr("cannot read %1: %2").arg(from, file.errorString());
        return false;
    }
    *bytes = file.read(maxBytes);
    return true;
}

bool takeOptionValue(const QStringList &arguments, qsizetype *index, const CliContext &context,
                     QString *value)
{
    if (*index + 1 >= arguments.size() || arguments.at(*index + 1).isEmpty()) {
        printError(context, Cli::tr("%1 needs a value").arg(arguments.at(*index)));
        return false;
    }
    *index += 1;
    *value = arguments.at(*index);
    return true;
}

int unknownOption(const CliContext &context, const QString &command, const QString &argument)
{
    printError(context, Cli::tr("%1: unknown option '%2'\nTry 'kalvoren %1 --help'.")
                                .arg(command, argument));
    return ExitUsage;
}

bool parsePositiveNumber(const QString &option, const QString &text, double *value,
                         QString *error)
{
    bool ok = false;
    const double v = text.toDouble(&ok);
    if (!ok || !(v > 0) || v > 1e9) {
        *error = Cli::tr("%1 needs a positive number, not '%2'").arg(option, text);
        return false;
    }
    *value = v;
    return true;
}

bool isCliInvocation(const QStringList &arguments)
{
    if (arguments.isEmpty())
        return false;
    // Qt's own single-dash options (-platform offscreen, -style ...) belong to the desktop
    // program; anything else, a mistyped command included, is for the command line.
    static const char *const qtOptions[] = { "-platform", "-style", "-display", "-geometry",
                                             "-reverse", "-session", "-qwindowtitle" };
    for (const char *option : qtOptions) {
        if (arguments.first() == QLatin1String(option))
            return false;
    }
    return true;
}

namespace {

int runCommand(QStringList arguments, CliContext &context)
{
    // --platform NAME may stand anywhere.
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (arguments.at(i) != QLatin1String("--platform"))
            continue;
        PlatformKind kind;
        if (i + 1 >= arguments.size() || !platformKindFromName(arguments.at(i + 1), &kind)) {
            printError(context, Cli::tr("--platform takes 'linux' or 'commands'"));
            return ExitUsage;
        }
        context.makePlatform = [kind] { return createPlatform(kind); };
        arguments.remove(i, 2);
        --i;
    }
    if (!context.makePlatform)
        context.makePlatform = [] { return createPlatform(); };
    if (!context.sleep) {
        context.sleep = [](double seconds) {
            std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
        };
    }

    if (arguments.isEmpty()) {
        printText(context.streams.out, usage());
        return ExitOk;
    }
    const QString first = arguments.first();
    if (first == QLatin1String("-h") || first == QLatin1String("--help")) {
        printText(context.streams.out, usage());
        return ExitOk;
    }
    if (first == QLatin1String("-V") || first == QLatin1String("--version")) {
        printLine(context.streams.out, QStringLiteral("kalvoren " KALVOREN_VERSION));
        return ExitOk;
    }
    for (const Command &command : commands) {
        if (first == QLatin1String(command.name))
            return command.run(arguments.mid(1), context);
    }
    printError(context, Cli::tr("unknown command or option '%1'\n"
                                "Try 'kalvoren --help'.").arg(first));
    return ExitUsage;
}

} // namespace

int runCli(const QStringList &arguments, CliContext context)
{
    firstWriteFailure() = {};
    const int status = runCommand(arguments, context);
    return checkOutput(context, status);
}

int printStatsOnce(CliContext context)
{
    return runCli({ QStringLiteral("stats") }, std::move(context));
}

} // namespace Kalvoren
