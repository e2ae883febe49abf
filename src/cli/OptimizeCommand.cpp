#include "OptimizeCommand.h"

#include "Cli.h"
#include "SessionServices.h"
#include "InterruptGuard.h"
#include "optimizer/MemoryChange.h"
#include "optimizer/OptimizerController.h"
#include "platform/Platform.h"
#include "stats/MemoryFigures.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace Kalvoren {
namespace {

using Clock = std::chrono::steady_clock;

struct OptimizeOptions
{
    bool json = false;
    bool purge = true;
    bool pkexec = false;
    bool here = false; // any option asks for the run in this terminal
};

struct Snapshot
{
    std::optional<MemoryFigures> figures;
    std::optional<MemoryRoom> room;
};

Snapshot snapshot(Platform &platform)
{
    const std::optional<MemorySample> sample = platform.readMemory();
    return { sample ? std::optional<MemoryFigures>(figuresFromSample(*sample)) : std::nullopt,
             platform.memoryRoom() };
}

QString gibText(double bytes)
{
    return QString::asprintf("%.2f GiB", bytes / (1024.0 * 1024.0 * 1024.0));
}

QString outcomeName(PurgeOutcome outcome)
{
    switch (outcome) {
    case PurgeOutcome::Done:
        return QStringLiteral("done");
    case PurgeOutcome::Skipped:
        return QStringLiteral("skipped");
    case PurgeOutcome::Failed:
        return QStringLiteral("failed");
    }
    return QString();
}

QString boundName(PlanBound bound)
{
    switch (bound) {
    case PlanBound::Rows:
        return QStringLiteral("rows");
    case PlanBound::Budget:
        return QStringLiteral("budget");
    case PlanBound::Reclaimable:
        return QStringLiteral("reclaimable");
    }
    return QString();
}

QJsonValue bytesOrNull(std::optional<double> bytes)
{
    return bytes ? QJsonValue(*bytes) : QJsonValue(QJsonValue::Null);
}

std::optional<double> asDouble(std::optional<quint64> bytes)
{
    return bytes ? std::optional<double>(double(*bytes)) : std::nullopt;
}

std::optional<double> freeOf(const Snapshot &s)
{
    return s.figures ? std::optional<double>(s.figures->Free) : std::nullopt;
}

// What the system can hand out without paging: the room left under every limit.
std::optional<double> availableOf(const Snapshot &s)
{
    return s.room ? std::optional<double>(double(s.room->availableBytes)) : std::nullopt;
}

// The machine's own MemAvailable and page cache, where the system says.
std::optional<double> memAvailableOf(const Snapshot &s)
{
    return s.room ? asDouble(s.room->memAvailableBytes) : std::nullopt;
}

std::optional<double> pageCacheOf(const Snapshot &s)
{
    return s.room ? asDouble(s.room->fileCacheBytes) : std::nullopt;
}

std::optional<double> difference(std::optional<double> from, std::optional<double> to)
{
    return from && to ? std::optional<double>(*to - *from) : std::nullopt;
}

// Scripts read the keys and values: they stay as they are in every language.
QString jsonResult(const OptimizerResult &r, const Snapshot &before, const Snapshot &after,
                   double seconds)
{
    QJsonObject o;
    o.insert(QStringLiteral("cancelled"), r.cancelled);
    o.insert(QStringLiteral("stopped_at_reserve"), r.stoppedAtReserve);
    o.insert(QStringLiteral("stopped_not_paying"), r.stoppedNotPaying);
    o.insert(QStringLiteral("purge"), outcomeName(r.purge.outcome));
    o.insert(QStringLiteral("purge_message"), r.purge.message);
    o.insert(QStringLiteral("sum_bytes"), double(r.sum));
    o.insert(QStringLiteral("progress_maximum_bytes"), r.plan.progressMaximum);
    o.insert(QStringLiteral("blocks"), r.plan.count);
    o.insert(QStringLiteral("planned_block_bytes"), double(r.plan.size));
    o.insert(QStringLiteral("block_bytes"), double(r.blockSize));
    o.insert(QStringLiteral("planned_bytes"), double(plannedTouchBytes(r)));
    o.insert(QStringLiteral("plan_bound"), boundName(r.bound));
    o.insert(QStringLiteral("reclaimable_bytes"), bytesOrNull(asDouble(r.reclaimable)));
    o.insert(QStringLiteral("budget_bytes"),
             bytesOrNull(r.budget == noBudgetLimit ? std::nullopt
                                                   : std::optional<double>(double(r.budget))));
    o.insert(QStringLiteral("bound_by"),
             r.roomBefore ? QJsonValue(r.roomBefore->boundBy) : QJsonValue(QJsonValue::Null));
    o.insert(QStringLiteral("blocks_taken"), r.blocksTaken);
    o.insert(QStringLiteral("blocks_failed"), r.blocksFailed);
    o.insert(QStringLiteral("touched_bytes"), double(r.bytesTouched));
    o.insert(QStringLiteral("seconds"), seconds);
    o.insert(QStringLiteral("free_before_bytes"), bytesOrNull(freeOf(before)));
    o.insert(QStringLiteral("free_after_bytes"), bytesOrNull(freeOf(after)));
    o.insert(QStringLiteral("freed_bytes"), bytesOrNull(difference(freeOf(before),
                                                                   freeOf(after))));
    o.insert(QStringLiteral("available_before_bytes"), bytesOrNull(availableOf(before)));
    o.insert(QStringLiteral("available_after_bytes"), bytesOrNull(availableOf(after)));
    o.insert(QStringLiteral("mem_available_before_bytes"), bytesOrNull(memAvailableOf(before)));
    o.insert(QStringLiteral("mem_available_after_bytes"), bytesOrNull(memAvailableOf(after)));
    o.insert(QStringLiteral("page_cache_before_bytes"), bytesOrNull(pageCacheOf(before)));
    o.insert(QStringLiteral("page_cache_after_bytes"), bytesOrNull(pageCacheOf(after)));
    const std::optional<double> cacheChange = difference(pageCacheOf(before), pageCacheOf(after));
    o.insert(QStringLiteral("page_cache_dropped_bytes"),
             bytesOrNull(cacheChange ? std::optional<double>(-*cacheChange) : std::nullopt));
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
}

// "label: before -> after (change)", or "label: unknown" when either figure is missing.
QString changePart(const QString &label, std::optional<double> before, std::optional<double> after)
{
    if (!before || !after)
        return Cli::tr("%1: unknown").arg(label);
    return Cli::tr("%1: %2 -> %3 (%4)")
            .arg(label, megabytesText(float(*before)), megabytesText(float(*after)),
                 signedMegabytesText(*after - *before));
}

QString textResult(const OptimizerResult &r, const Snapshot &before, const Snapshot &after,
                   double touchRate)
{
    QStringList lines;
    if (r.blocksTaken > 0 || r.cancelled) {
        lines << (r.cancelled ? Cli::tr("Cancelled after %1 of %2 blocks; ")
                              : Cli::tr("Done: %1 of %2 blocks; "))
                                .arg(r.blocksTaken)
                                .arg(r.plan.count)
                        + Cli::tr("touched %1 at %2 GB/s, all freed.")
                                  .arg(gibText(double(r.bytesTouched)))
                                  .arg(touchRate / 1e9, 0, 'f', 2);
    }
    // MemAvailable where the machine says it, else the room the limits leave.
    const bool machineAvailable = memAvailableOf(before) && memAvailableOf(after);
    QStringList change { changePart(Cli::tr("Free"), freeOf(before), freeOf(after)),
                         changePart(Cli::tr("available"),
                                    machineAvailable ? memAvailableOf(before)
                                                     : availableOf(before),
                                    machineAvailable ? memAvailableOf(after)
                                                     : availableOf(after)) };
    if (pageCacheOf(before) && pageCacheOf(after))
        change << changePart(Cli::tr("page cache"), pageCacheOf(before),
                             pageCacheOf(after));
    lines << change.join(QStringLiteral("; "));
    lines << runReportText(r);
    return lines.join(QLatin1Char('\n'));
}

int parseOptions(const QStringList &arguments, OptimizeOptions *options,
                 const CliContext &context)
{
    for (const QString &arg : arguments) {
        if (arg == QLatin1String("--json")) {
            options->json = true;
            options->here = true;
        } else if (arg == QLatin1String("--no-purge")) {
            options->purge = false;
            options->here = true;
        } else if (arg == QLatin1String("--pkexec")) {
            options->pkexec = true;
            options->here = true;
        } else if (arg == QLatin1String("--here")) {
            options->here = true;
        } else if (arg == QLatin1String("-h") || arg == QLatin1String("--help")) {
            printText(context.streams.out, optimizeUsage());
            return -1;
        } else {
            return unknownOption(context, QStringLiteral("optimize"), arg);
        }
    }
    return ExitOk;
}

} // namespace

QString optimizeUsage()
{
    return Cli::tr(
            "Usage: kalvoren optimize [--here] [--json] [--no-purge] [--pkexec]\n"
            "Makes the system reclaim inactive memory: drops the page cache first (as root or\n"
            "through pkexec), then takes and touches up to 20 blocks, and frees them. The\n"
            "blocks are sized from the free and inactive memory, but on Linux never beyond\n"
            "what makes the kernel give back page cache (after a purge, little or nothing),\n"
            "and it stops once reclaim no longer pays. It never takes more than is available\n"
            "(machine and cgroup) less a reserve; when nothing can be taken it exits with 1.\n"
            "Ctrl-C cancels between blocks (exit code 130).\n"
            "When the desktop program runs, plain 'kalvoren optimize' asks it to optimize (as\n"
            "its button would); any option below runs the optimization here instead.\n\n"
            "  --here      run here even when the desktop program runs\n"
            "  --json      print the result as one JSON object\n"
            "  --no-purge  do not drop the page cache first\n"
            "  --pkexec    when not root, ask for the purge through pkexec this time\n"
            "              (setting purgeWithPkexec=true in ~/.config/Kalvoren/Kalvoren.conf\n"
            "              does it always)\n");
}

QString progressLine(quint64 done, quint64 total, double bytesPerSecond, int width)
{
    const double fraction = total > 0 ? std::min(1.0, double(done) / double(total)) : 1.0;
    const int filled = int(fraction * width);
    QString bar = QString(filled, QLatin1Char('#')) + QString(width - filled, QLatin1Char('-'));
    return Cli::tr("[%1] %2 of %3  %4 GB/s")
            .arg(bar, gibText(double(done)), gibText(double(total)))
            .arg(bytesPerSecond / 1e9, 0, 'f', 2);
}

int runOptimizeCommand(const QStringList &arguments, const CliContext &context)
{
    return runOptimizeCommandWith(arguments, context, OptimizeHooks());
}

int runOptimizeCommandWith(const QStringList &arguments, const CliContext &context,
                           const OptimizeHooks &hooks)
{
    OptimizeOptions options;
    if (const int status = parseOptions(arguments, &options, context); status != ExitOk)
        return status < 0 ? ExitOk : status;
    if (!options.here && hooks.askRunningInstance) {
        if (const std::optional<int> status = Session::optimizeInRunningInstance(context))
            return *status;
    }

    std::unique_ptr<Platform> platform = context.makePlatform();
    const Snapshot before = snapshot(*platform);
    if (!before.figures) {
        printError(context, Cli::tr("cannot read the memory figures"));
        return ExitFailure;
    }

    const bool showProgress = hooks.progress == ProgressDisplay::Always
            || (hooks.progress == ProgressDisplay::Auto && !options.json
                && ::isatty(fileno(context.streams.err)));
    OptimizerController optimizer(*platform);
    optimizer.setBlockAllocator(hooks.allocator);
    OptimizerController::Options runOptions;
    runOptions.purge = options.purge;
    if (options.pkexec)
        runOptions.elevation = PurgeElevation::Pkexec;

    const Clock::time_point started = Clock::now();
    Clock::time_point touchingSince;
    InterruptGuard guard(optimizer.cancelFlag());
    optimizer.start(runOptions);
    auto speed = [&] {
        const double seconds =
                std::chrono::duration<double>(Clock::now() - touchingSince).count();
        return optimizer.plannedBytes() > 0 && seconds > 0
                ? double(optimizer.touchedBytes()) / seconds
                : 0.0;
    };
    while (!optimizer.waitForWorker(100)) {
        if (optimizer.plannedBytes() == 0) {
            touchingSince = Clock::now();
            continue;
        }
        if (showProgress) {
            std::fprintf(context.streams.err, "\r%s",
                         progressLine(optimizer.touchedBytes(), optimizer.plannedBytes(),
                                      speed(), 30)
                                 .toLocal8Bit().constData());
            std::fflush(context.streams.err);
        }
    }
    const OptimizerResult result = optimizer.lastResult();
    const double seconds = std::chrono::duration<double>(Clock::now() - started).count();
    const double rate = speed();
    if (showProgress && optimizer.plannedBytes() > 0) {
        std::fprintf(context.streams.err, "\r%s\n",
                     progressLine(optimizer.touchedBytes(), optimizer.plannedBytes(), rate, 30)
                             .toLocal8Bit().constData());
    }
    const Snapshot after = snapshot(*platform);

    if (options.json)
        printLine(context.streams.out, jsonResult(result, before, after, seconds));
    else
        printLine(context.streams.out, textResult(result, before, after, rate));
    if (result.cancelled)
        return ExitCancelled;
    // A run that could take nothing at all did not do what was asked.
    return result.budget == 0 ? ExitFailure : ExitOk;
}

} // namespace Kalvoren
