#include "BenchmarkCommand.h"

#include "Cli.h"
#include "InterruptGuard.h"
#include "benchmark/BenchmarkRun.h"
#include "platform/Platform.h"
#include "stats/MemoryFigures.h"

#include <chrono>
#include <limits>

#include <unistd.h>

namespace Kalvoren {
namespace {

struct BenchmarkOptions
{
    QString total;   // empty: not given
    QString count;   // empty: not given
    bool suggest = false;
};

// A whole number as typed on the command line, or 0 (which the check refuses) when the text
// is not one, is not positive, or is beyond what the passes-left counter holds.
quint32 strictCount(const QString &text)
{
    bool ok = false;
    const qlonglong value = text.trimmed().toLongLong(&ok);
    if (!ok || value <= 0 || value > std::numeric_limits<qint32>::max())
        return 0;
    return quint32(value);
}

// Prints progress on a terminal (at most ten times a second) and problems as errors.
class TerminalObserver : public BenchmarkObserver
{
public:
    explicit TerminalObserver(const CliContext &context)
        : m_context(context)
        , m_terminal(::isatty(::fileno(context.streams.err)) == 1)
    {
    }
    ~TerminalObserver() override { clearLine(); }

    void passStarting(quint64 size) override { m_size = size; }
    void passFinished(qint32 left) override
    {
        if (!m_terminal)
            return;
        const auto now = std::chrono::steady_clock::now();
        if (now - m_lastShown < std::chrono::milliseconds(100) && left != 0)
            return;
        m_lastShown = now;
        const QByteArray line = benchmarkProgressLine(m_size, left).toLocal8Bit();
        std::fprintf(m_context.streams.err, "\r%s\033[K", line.constData());
        std::fflush(m_context.streams.err);
        m_shown = true;
    }
    void problem(const QString &message) override
    {
        clearLine();
        printError(m_context, message);
    }

private:
    void clearLine()
    {
        if (!m_shown)
            return;
        std::fputs("\r\033[K", m_context.streams.err);
        std::fflush(m_context.streams.err);
        m_shown = false;
    }

    const CliContext &m_context;
    bool m_terminal;
    bool m_shown = false;
    quint64 m_size = 0;
    std::chrono::steady_clock::time_point m_lastShown;
};

int parseOptions(const QStringList &arguments, BenchmarkOptions *options,
                 const CliContext &context)
{
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &arg = arguments.at(i);
        auto value = [&](QString *out) { return takeOptionValue(arguments, &i, context, out); };
        if (arg == QLatin1String("--total")) {
            if (!value(&options->total))
                return ExitUsage;
        } else if (arg == QLatin1String("--count")) {
            if (!value(&options->count))
                return ExitUsage;
        } else if (arg == QLatin1String("--suggest")) {
            options->suggest = true;
        } else if (arg == QLatin1String("-h") || arg == QLatin1String("--help")) {
            printText(context.streams.out, benchmarkUsage());
            return -1;
        } else {
            return unknownOption(context, QStringLiteral("benchmark"), arg);
        }
    }
    if (options->suggest && !options->total.isEmpty()) {
        printError(context, Cli::tr("give either --total or --suggest, not both"));
        return ExitUsage;
    }
    if (!options->suggest && options->total.isEmpty()) {
        printError(context, Cli::tr("benchmark needs --total MB (or --suggest)\n"
                                    "Try 'kalvoren benchmark --help'."));
        return ExitUsage;
    }
    if (!options->suggest && options->count.isEmpty()) {
        printError(context, Cli::tr("benchmark needs --count N\n"
                                    "Try 'kalvoren benchmark --help'."));
        return ExitUsage;
    }
    return ExitOk;
}

} // namespace

QString benchmarkUsage()
{
    return Cli::tr(
            "Usage: kalvoren benchmark --total MB --count N\n"
            "       kalvoren benchmark --suggest [--count N]\n"
            "Times allocating, using and freeing memory: N + 1 passes with blocks growing\n"
            "from 2 bytes to the total, each filled byte by byte and freed again.\n\n"
            "  --total MB   the largest block, 1 to 3000 MB, within the available memory\n"
            "  --count N    the number of allocations (the test runs N + 1 passes)\n"
            "  --suggest    print the suggested total (80% of free and inactive memory,\n"
            "               within the available memory); with --count, run with it\n\n"
            "Ctrl-C stops the test after its current pass and prints the time so far.\n");
}

QString benchmarkProgressLine(quint64 size, qint32 left)
{
    return Cli::tr("%1, %2 left").arg(benchmarkTaskText(size), benchmarkLeftText(left));
}

int runBenchmarkCommand(const QStringList &arguments, const CliContext &context)
{
    BenchmarkOptions options;
    if (const int status = parseOptions(arguments, &options, context); status != ExitOk)
        return status < 0 ? ExitOk : status;

    std::unique_ptr<Platform> platform = context.makePlatform();
    const std::optional<quint32> limit = benchmarkLimitMb(platform->memoryRoom());

    BenchmarkInputs inputs;
    if (options.suggest) {
        PlatformError error;
        const std::optional<MemorySample> sample = platform->readMemory(&error);
        if (!sample) {
            printError(context, Cli::tr("cannot read the memory figures: %1").arg(error.message));
            return ExitFailure;
        }
        const MemoryFigures figures = figuresFromSample(*sample);
        inputs.totalMb = suggestedTotalMb(figures.Free, figures.Inactive, limit);
        printLine(context.streams.out, Cli::tr("Suggested total: %1 MB").arg(inputs.totalMb));
        if (options.count.isEmpty())
            return ExitOk;
    } else {
        inputs.totalMb = strictCount(options.total);
    }
    inputs.numAlloc = strictCount(options.count);

    InterruptGuard guard;
    BenchmarkResult result;
    {
        TerminalObserver observer(context);
        result = runBenchmark(inputs, limit, InterruptGuard::interrupted(), observer);
    }
    switch (result.outcome) {
    case BenchmarkOutcome::Completed:
        printLine(context.streams.out, benchmarkCompletedLine(result.seconds));
        return ExitOk;
    case BenchmarkOutcome::Cancelled:
        printLine(context.streams.out, benchmarkCancelledText(result.passesRun, result.seconds));
        return ExitCancelled;
    case BenchmarkOutcome::Refused:
        if (limit)
            printError(context, Cli::tr("the total must be 1 to %1 MB here (available "
                                        "memory less a reserve), the count at least 1;\n"
                                        "'kalvoren benchmark --suggest' proposes a total")
                                        .arg(qMin(*limit, benchmarkMaxTotalMb)));
        else
            printError(context, Cli::tr("the total must be 1 to %1 MB, the count at "
                                        "least 1;\n'kalvoren benchmark --suggest' "
                                        "proposes a total").arg(benchmarkMaxTotalMb));
        return ExitUsage;
    case BenchmarkOutcome::AllocationFailed:
    case BenchmarkOutcome::Failed:
        return ExitFailure;
    }
    return ExitFailure;
}

} // namespace Kalvoren
