#include "StatsCommand.h"

#include "Cli.h"
#include "platform/Platform.h"
#include "stats/MemoryFigures.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace Kalvoren {
namespace {

struct StatsOptions
{
    bool json = false;
    double interval = 0; // 0: once
    qint64 count = -1;   // -1: once without --interval, for ever with it
    QString from;        // empty: the live system
};

QString jsonLine(const MemoryFigures &f, const MemoryTexts &t)
{
    QJsonObject o;
    o.insert(QStringLiteral("free_bytes"), double(f.Free));
    o.insert(QStringLiteral("inactive_bytes"), double(f.Inactive));
    o.insert(QStringLiteral("wired_bytes"), double(f.Wired));
    o.insert(QStringLiteral("active_bytes"), double(f.Active));
    o.insert(QStringLiteral("total_gib"), double(f.totalRam));
    o.insert(QStringLiteral("pageins"), double(f.Ins));
    o.insert(QStringLiteral("pageouts"), double(f.Outs));
    o.insert(QStringLiteral("free"), t.free);
    o.insert(QStringLiteral("inactive"), t.inactive);
    o.insert(QStringLiteral("wired"), t.wired);
    o.insert(QStringLiteral("active"), t.active);
    o.insert(QStringLiteral("total"), t.total);
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
}

void printFigures(const CliContext &context, const MemoryFigures &f, bool json)
{
    const MemoryTexts t = textsFor(f);
    if (json) {
        printLine(context.streams.out, jsonLine(f, t));
        return;
    }
    printLine(context.streams.out, QStringLiteral("Free: ") + t.free);
    printLine(context.streams.out, QStringLiteral("Inactive: ") + t.inactive);
    printLine(context.streams.out, QStringLiteral("Wired: ") + t.wired);
    printLine(context.streams.out, QStringLiteral("Active: ") + t.active);
    printLine(context.streams.out, QStringLiteral("Total: ") + t.total);
}

int parseOptions(const QStringList &arguments, StatsOptions *options, const CliContext &context)
{
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &arg = arguments.at(i);
        auto value = [&](QString *out) { return takeOptionValue(arguments, &i, context, out); };
        QString text;
        QString error;
        if (arg == QLatin1String("--json")) {
            options->json = true;
        } else if (arg == QLatin1String("--interval")) {
            if (!value(&text))
                return ExitUsage;
            if (!parsePositiveNumber(arg, text, &options->interval, &error)) {
                printError(context, error);
                return ExitUsage;
            }
        } else if (arg == QLatin1String("--count")) {
            if (!value(&text))
                return ExitUsage;
            double count = 0;
            if (!parsePositiveNumber(arg, text, &count, &error) || count != std::floor(count)) {
                printError(context, QStringLiteral("--count needs a whole number of at least 1, "
                                                   "not '%1'").arg(text));
                return ExitUsage;
            }
            options->count = qint64(count);
        } else if (arg == QLatin1String("--from")) {
            if (!value(&options->from))
                return ExitUsage;
        } else if (arg == QLatin1String("-h") || arg == QLatin1String("--help")) {
            printText(context.streams.out, statsUsage());
            return -1;
        } else {
            return unknownOption(context, QStringLiteral("stats"), arg);
        }
    }
    if (!options->from.isEmpty() && (options->interval > 0 || options->count > 0)) {
        printError(context, QStringLiteral("--from reads one saved text; it cannot be combined "
                                           "with --interval or --count"));
        return ExitUsage;
    }
    if (options->count > 0 && options->interval == 0)
        options->interval = 2.0; // the desktop program's own sampling interval
    return ExitOk;
}

} // namespace

QString statsUsage()
{
    return QStringLiteral(
            "Usage: kalvoren stats [--json] [--interval SECONDS] [--count N] [--from FILE|-]\n"
            "Prints free, inactive, wired and active memory and the total.\n\n"
            "  --json              one JSON object per sample\n"
            "  --interval SECONDS  repeat every SECONDS (for ever, or --count times)\n"
            "  --count N           take N samples (2 seconds apart unless --interval)\n"
            "  --from FILE         read vm_stat output saved in FILE ('-': standard input),\n"
            "                      e.g. ssh host vm_stat | kalvoren stats --from -\n");
}

QString normalizeVmStatText(QString text)
{
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    text.replace(QChar(0x00A0), QLatin1Char(' '));
    return text;
}

int runStatsCommand(const QStringList &arguments, const CliContext &context)
{
    StatsOptions options;
    if (const int status = parseOptions(arguments, &options, context); status != ExitOk)
        return status < 0 ? ExitOk : status;

    if (!options.from.isEmpty()) {
        QByteArray bytes;
        QString error;
        // A saved vm_stat output is a few kB; refuse anything absurd instead of eating memory.
        if (!readInput(options.from, context, 16 * 1024 * 1024, &bytes, &error)) {
            printError(context, error);
            return ExitFailure;
        }
        const QString text = normalizeVmStatText(QString::fromUtf8(bytes));
        const std::optional<MemoryFigures> figures =
                figuresFromVmStat(text, patternForText(text));
        if (!figures) {
            const QString source = options.from == QLatin1String("-")
                    ? QStringLiteral("standard input") : options.from;
            printError(context, QStringLiteral("no memory figures in %1: expected vm_stat output "
                                               "with 'Pages free:' ... 'Pageouts:' lines")
                                       .arg(source));
            return ExitFailure;
        }
        printFigures(context, *figures, options.json);
        return ExitOk;
    }

    std::unique_ptr<Platform> platform = context.makePlatform();
    const VmStatPattern pattern = patternForFrameworkVersion(platform->frameworkVersion());
    for (qint64 n = 0;; ++n) {
        if (n > 0) {
            context.sleep(options.interval);
            if (!options.json)
                printLine(context.streams.out, QString());
        }
        QString error;
        const QString text = platform->vmStatText(&error);
        const std::optional<MemoryFigures> figures = figuresFromVmStat(text, pattern);
        if (!figures) {
            printError(context, QStringLiteral("cannot read the memory figures: %1")
                                        .arg(error.isEmpty() ? QStringLiteral("unexpected text")
                                                             : error));
            return ExitFailure;
        }
        printFigures(context, *figures, options.json);
        // Nobody reads what a failing output loses: stop sampling (runCli says why).
        if (std::ferror(context.streams.out))
            return ExitFailure;
        if (options.interval == 0 || (options.count > 0 && n + 1 >= options.count))
            return ExitOk;
    }
}

} // namespace Kalvoren
