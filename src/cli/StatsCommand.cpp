#include "StatsCommand.h"

#include "Cli.h"
#include "platform/Platform.h"
#include "stats/MemoryFigures.h"
#include "stats/MemorySampler.h"
#include "stats/SampleReport.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace Kalvoren {
namespace {

struct StatsOptions
{
    bool json = false;
    bool vmStat = false; // the sample in vm_stat's layout
    bool all = false;    // every figure, not only the five lines
    double interval = 0; // 0: once
    qint64 count = -1;   // -1: once without --interval, for ever with it
    QString from;        // empty: the live system
    QString root;        // a saved system's /proc and /sys; empty: the live ones
};

void printSample(const CliContext &context, const MemorySample &sample,
                 const StatsOptions &options)
{
    if (options.vmStat) {
        printText(context.streams.out, QString::fromLatin1(renderVmStat(sample)));
        return;
    }
    const MemoryFigures f = figuresFromSample(sample);
    if (options.json) {
        const QJsonObject o = QJsonObject::fromVariantMap(sampleFields(sample, f));
        printLine(context.streams.out,
                  QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact)));
        return;
    }
    // Scripts read these five lines: they stay as they are in every language (no tr()), and
    // so do the --json keys and the --vm-stat layout above.
    const MemoryTexts t = textsFor(f);
    printLine(context.streams.out, QStringLiteral("Free: ") + t.free);
    printLine(context.streams.out, QStringLiteral("Inactive: ") + t.inactive);
    printLine(context.streams.out, QStringLiteral("Wired: ") + t.wired);
    printLine(context.streams.out, QStringLiteral("Active: ") + t.active);
    printLine(context.streams.out, QStringLiteral("Total: ") + t.total);
    if (options.all) {
        for (const QString &line : extraFigureLines(sample))
            printLine(context.streams.out, line);
    }
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
        } else if (arg == QLatin1String("--vm-stat")) {
            options->vmStat = true;
        } else if (arg == QLatin1String("--all")) {
            options->all = true;
        } else if (arg == QLatin1String("--root")) {
            if (!value(&options->root))
                return ExitUsage;
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
                printError(context, Cli::tr("--count needs a whole number of at least 1, "
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
    if (options->json && options->vmStat) {
        printError(context, Cli::tr("--json and --vm-stat choose different layouts; "
                                    "give one of them"));
        return ExitUsage;
    }
    if (!options->from.isEmpty() && !options->root.isEmpty()) {
        printError(context, Cli::tr("--from reads a saved text, --root a saved system; "
                                    "give one of them"));
        return ExitUsage;
    }
    if (!options->from.isEmpty() && (options->interval > 0 || options->count > 0)) {
        printError(context, Cli::tr("--from reads one saved text; it cannot be combined "
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
    return Cli::tr(
            "Usage: kalvoren stats [--all] [--json | --vm-stat] [--interval SECONDS] [--count N]\n"
            "                      [--from FILE|- | --root DIR]\n"
            "Prints free, inactive, wired and active memory and the total.\n\n"
            "  --all               also available memory, cache, swap, zram, zswap, pressure\n"
            "  --json              one JSON object per sample, with every figure there is\n"
            "  --vm-stat           the sample in the layout of a BSD-style vm_stat\n"
            "  --interval SECONDS  repeat every SECONDS (for ever, or --count times)\n"
            "  --count N           take N samples (2 seconds apart unless --interval)\n"
            "  --from FILE         read vm_stat output or a /proc/meminfo saved in FILE\n"
            "                      ('-': standard input), e.g. ssh host vm_stat | kalvoren\n"
            "                      stats --from -\n"
            "  --root DIR          read a saved system: DIR/proc/... and DIR/sys/...\n");
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
        const QString source = options.from == QLatin1String("-")
                ? Cli::tr("standard input") : options.from;
        std::optional<MemorySample> sample;
        if (bytes.contains("MemTotal:")) {
            QString missing;
            sample = sampleFromSavedMemInfo(bytes, &missing);
            if (!sample) {
                printError(context, Cli::tr("no memory figures in %1: %2").arg(source, missing));
                return ExitFailure;
            }
        } else {
            const QString text = normalizeVmStatText(QString::fromUtf8(bytes));
            sample = sampleFromVmStat(text, patternForText(text));
        }
        if (!sample) {
            printError(context, Cli::tr("no memory figures in %1: expected vm_stat output "
                                        "with 'Pages free:' ... 'Pageouts:' lines, or a "
                                        "/proc/meminfo")
                                        .arg(source));
            return ExitFailure;
        }
        printSample(context, *sample, options);
        return ExitOk;
    }

    std::unique_ptr<Platform> platform =
            options.root.isEmpty() ? context.makePlatform() : savedSystemPlatform(options.root);
    MemorySampler sampler(*platform);
    QObject::connect(&sampler, &MemorySampler::sampled,
                     [&](const MemorySample &sample) { printSample(context, sample, options); });
    QObject::connect(&sampler, &MemorySampler::failed, [&](const PlatformError &error) {
        printError(context, Cli::tr("cannot read the memory figures: %1").arg(error.message));
    });
    for (qint64 n = 0;; ++n) {
        if (n > 0) {
            context.sleep(options.interval);
            if (!options.json && !options.vmStat)
                printLine(context.streams.out, QString());
        }
        if (!sampler.sampleNow())
            return ExitFailure;
        // Nobody reads what a failing output loses: stop sampling (runCli says why).
        if (std::ferror(context.streams.out))
            return ExitFailure;
        if (options.interval == 0 || (options.count > 0 && n + 1 >= options.count))
            return ExitOk;
    }
}

} // namespace Kalvoren
