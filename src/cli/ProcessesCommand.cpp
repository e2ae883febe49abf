#include "ProcessesCommand.h"

#include "Cli.h"
#include "platform/Platform.h"
#include "platform/ProcessOrder.h"
#include "platform/commands/TopText.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace Kalvoren {
namespace {

// --sort NAME: the key, and the order a person reads it in (figures largest first).
struct SortName
{
    const char *name;
    ProcessSortKey key;
    Qt::SortOrder order;
};

struct ProcessesOptions
{
    bool json = false;
    QString from;      // empty: the live system
    QString quitPid;   // --quit
    QString forcePid;  // --force-quit
    QString user;      // --user: only this user's processes
    const SortName *sort = nullptr; // --sort; the listing's own order without it
};

const SortName sortNames[] = {
    { "rss", ProcessSortKey::ResidentSize, Qt::DescendingOrder },
    { "cpu", ProcessSortKey::Cpu, Qt::DescendingOrder },
    { "pid", ProcessSortKey::Pid, Qt::AscendingOrder },
    { "command", ProcessSortKey::Command, Qt::AscendingOrder },
};

// The live list: the first sample primes the per-process CPU counters, so a second one a
// moment later gives CPU percentages over that moment instead of zeros.
constexpr double cpuSampleSeconds = 0.25;

QString cpuText(double percent)
{
    return QString::number(percent, 'f', 1);
}

QJsonObject jsonRow(const ProcessRow &row)
{
    QJsonObject o;
    o.insert(QStringLiteral("pid"), row.pid > 0 ? QJsonValue(double(row.pid))
                                                : QJsonValue(QJsonValue::Null));
    o.insert(QStringLiteral("rsize"), residentSizeText(row.residentBytes));
    o.insert(QStringLiteral("rsize_bytes"), double(row.residentBytes));
    o.insert(QStringLiteral("cpu"), row.cpuPercent);
    o.insert(QStringLiteral("command"), row.command);
    if (!row.user.isEmpty())
        o.insert(QStringLiteral("user"), row.user);
    return o;
}

void printRows(const CliContext &context, const QList<ProcessRow> &lines, bool json)
{
    if (json) {
        QJsonArray rows;
        for (const ProcessRow &line : lines)
            rows.append(jsonRow(line));
        printLine(context.streams.out,
                  QString::fromUtf8(QJsonDocument(rows).toJson(QJsonDocument::Compact)));
        return;
    }
    // Joined, not built with chained arg(): a field holding "%1" would be filled in again.
    // Scripts read the table: its header and rows stay as they are in every language, and so
    // do the --json keys above.
    auto row = [](const QString &pid, const QString &rsize, const QString &cpu,
                  const QString &command) {
        return pid.rightJustified(8) + QLatin1Char(' ') + rsize.rightJustified(7)
                + QLatin1Char(' ') + cpu.rightJustified(6) + QLatin1Char(' ') + command;
    };
    printLine(context.streams.out, row(QStringLiteral("PID"), QStringLiteral("RSIZE"),
                                       QStringLiteral("%CPU"), QStringLiteral("COMMAND")));
    for (const ProcessRow &line : lines) {
        printLine(context.streams.out,
                  row(line.pid > 0 ? QString::number(line.pid) : QStringLiteral("-"),
                      residentSizeText(line.residentBytes), cpuText(line.cpuPercent),
                      line.command));
    }
}

int parseOptions(const QStringList &arguments, ProcessesOptions *options,
                 const CliContext &context)
{
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &arg = arguments.at(i);
        auto value = [&](QString *out) { return takeOptionValue(arguments, &i, context, out); };
        if (arg == QLatin1String("--json")) {
            options->json = true;
        } else if (arg == QLatin1String("--from")) {
            if (!value(&options->from))
                return ExitUsage;
        } else if (arg == QLatin1String("--quit")) {
            if (!value(&options->quitPid))
                return ExitUsage;
        } else if (arg == QLatin1String("--force-quit")) {
            if (!value(&options->forcePid))
                return ExitUsage;
        } else if (arg == QLatin1String("--user")) {
            if (!value(&options->user))
                return ExitUsage;
        } else if (arg == QLatin1String("--sort")) {
            QString name;
            if (!value(&name))
                return ExitUsage;
            for (const SortName &known : sortNames) {
                if (name == QLatin1String(known.name))
                    options->sort = &known;
            }
            if (!options->sort) {
                printError(context, Cli::tr("--sort takes rss, cpu, pid or command, not '%1'")
                                            .arg(name));
                return ExitUsage;
            }
        } else if (arg == QLatin1String("-h") || arg == QLatin1String("--help")) {
            printText(context.streams.out, processesUsage());
            return -1;
        } else {
            return unknownOption(context, QStringLiteral("processes"), arg);
        }
    }
    const int actions = int(!options->quitPid.isEmpty()) + int(!options->forcePid.isEmpty());
    const bool listing = !options->from.isEmpty() || options->json || !options->user.isEmpty()
            || options->sort;
    if (actions > 1 || (actions == 1 && listing)) {
        printError(context, Cli::tr("--quit and --force-quit take one pid and stand alone"));
        return ExitUsage;
    }
    if (!options->user.isEmpty() && !options->from.isEmpty()) {
        printError(context, Cli::tr("--user needs the live list: a saved top text names "
                                    "no users"));
        return ExitUsage;
    }
    return ExitOk;
}

} // namespace

QString processesUsage()
{
    return Cli::tr(
            "Usage: kalvoren processes [--json] [--user NAME] [--sort KEY] [--from FILE|-]\n"
            "       kalvoren processes --quit PID | --force-quit PID\n"
            "Lists the processes once, largest resident memory first: pid, resident size,\n"
            "CPU % and command.\n\n"
            "  --json            one JSON array of {pid, rsize, rsize_bytes, cpu, command,\n"
            "                    user}\n"
            "  --user NAME       only the processes of user NAME (a login name or uid)\n"
            "  --sort KEY        rss (largest first, the default), cpu (busiest first), pid\n"
            "                    or command\n"
            "  --from FILE       read the output of 'top -l 1 -o rsize -stats\n"
            "                    pid,rsize,cpu,command' saved in FILE ('-': standard input)\n"
            "  --quit PID        ask the process's windows to close\n"
            "  --force-quit PID  send the process the termination signal (SIGTERM)\n");
}

int runProcessesCommand(const QStringList &arguments, const CliContext &context)
{
    ProcessesOptions options;
    if (const int status = parseOptions(arguments, &options, context); status != ExitOk)
        return status < 0 ? ExitOk : status;

    if (!options.quitPid.isEmpty() || !options.forcePid.isEmpty()) {
        std::unique_ptr<Platform> platform = context.makePlatform();
        const ProcessActionResult result = options.quitPid.isEmpty()
                ? platform->forceQuitProcess(options.forcePid)
                : platform->quitProcess(options.quitPid);
        if (!result.ok()) {
            printError(context, result.message);
            return result.status == ProcessActionStatus::InvalidPid ? ExitUsage : ExitFailure;
        }
        printLine(context.streams.out, result.message);
        return ExitOk;
    }

    QList<ProcessRow> lines;
    if (!options.from.isEmpty()) {
        QByteArray text;
        QString error;
        if (!readInput(options.from, context, 64 * 1024 * 1024, &text, &error)) {
            printError(context, error);
            return ExitFailure;
        }
        lines = processRowsFromTopText(text);
    } else {
        std::unique_ptr<Platform> platform = context.makePlatform();
        PlatformError error;
        std::optional<QList<ProcessRow>> rows = platform->readProcesses(&error);
        if (rows) {
            context.sleep(cpuSampleSeconds);
            rows = platform->readProcesses(&error);
        }
        if (!rows) {
            printError(context, Cli::tr("cannot read the process list: %1").arg(error.message));
            return ExitFailure;
        }
        lines = std::move(*rows);
    }
    if (!options.user.isEmpty()) {
        lines.removeIf([&options](const ProcessRow &row) {
            return row.user != options.user && QString::number(row.uid) != options.user;
        });
    }
    if (options.sort)
        sortProcessRows(&lines, options.sort->key, options.sort->order);
    if (lines.isEmpty() && !options.from.isEmpty()) {
        const QString source = options.from == QLatin1String("-")
                ? Cli::tr("standard input") : options.from;
        printError(context, Cli::tr("no process lines in %1: expected top output with "
                                    "twelve lines before the process lines").arg(source));
        return ExitFailure;
    }
    printRows(context, lines, options.json);
    return ExitOk;
}

} // namespace Kalvoren
