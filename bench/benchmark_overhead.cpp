// How much the allocation benchmark itself adds to the time it reports.
//
// For each plan, the time the benchmark window reports (Benchmark, worker thread, progress
// handed to the main thread) is compared with a bare loop over the same block sizes that only
// allocates, fills and frees, measured in the same run, interleaved, after a warm-up of each
// (glibc moves its mmap threshold after the first large free, which favours whoever runs
// second). Also the shared pass loop (runBenchmark) without a window, and the bare loop on a
// fresh thread. Prints medians and the ratios; the target is at most 1.05.
//
//   build/bench/bench_benchmark_overhead [ROUNDS [TOTAL_MB COUNT]]

#include "benchmark/Benchmark.h"
#include "benchmark/BenchmarkRun.h"

#include <QApplication>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

using namespace Kalvoren;

namespace {

struct PlanCase
{
    quint32 totalMb;
    quint32 count;
};

std::vector<std::size_t> planSizes(const PlanCase &c)
{
    const BenchmarkPlan plan = planBenchmark({ c.totalMb, c.count });
    std::vector<std::size_t> sizes;
    quint64 size = benchmarkFirstSize;
    for (qint64 pass = 0; pass < plan.passCount(); ++pass) {
        sizes.push_back(std::size_t(size));
        size = plan.nextSize(size);
    }
    return sizes;
}

double bareLoop(const std::vector<std::size_t> &sizes)
{
    const auto start = std::chrono::steady_clock::now();
    for (std::size_t size : sizes) {
        auto *block = static_cast<unsigned char *>(std::malloc(size));
        if (!block)
            std::abort();
        std::memset(block, 0xFF, size);
        block[0] = 0;
        block[size / 2] = 0;
        block[size - 1] = block[0];
        asm volatile("" : : "r"(block) : "memory");
        std::free(block);
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The same bare loop on a thread of its own, as the window's worker runs: it separates what
// a fresh thread costs (cold caches on the other core, another malloc arena) from what the
// benchmark's code adds.
double bareLoopOnThread(const std::vector<std::size_t> &sizes)
{
    double seconds = 0;
    std::thread worker([&] { seconds = bareLoop(sizes); });
    worker.join();
    return seconds;
}

double coreLoop(const PlanCase &c)
{
    BenchmarkObserver quiet;
    std::atomic<bool> cancel { false };
    const BenchmarkResult result =
        runBenchmark({ c.totalMb, c.count }, std::nullopt, cancel, quiet);
    return result.seconds;
}

// The window's own figure: what "This test was completed in %f seconds" shows.
struct WindowBench
{
    WindowBench()
    {
        benchmark.totalToAllocate = &total;
        benchmark.numOfAllocations = &count;
        benchmark.runTestButton = &button;
        benchmark.taskInfo = &task;
        benchmark.leftInfo = &left;
        benchmark.lastTestInfo = &last;
        benchmark.thisTestInfo = &thisTest;
        benchmark.setAlertPresenter([](const QString &, const QString &message) {
            std::fprintf(stderr, "problem: %s\n", qPrintable(message));
            std::exit(1);
        });
    }
    double run(const PlanCase &c)
    {
        total.setText(QString::number(c.totalMb));
        count.setText(QString::number(c.count));
        QEventLoop loop;
        QObject::connect(&benchmark, &Benchmark::testFinished, &loop, &QEventLoop::quit);
        benchmark.runTest();
        loop.exec();
        return benchmark.howmanysecondselapsed();
    }

    QLineEdit total;
    QLineEdit count;
    QPushButton button;
    QLabel task;
    QLabel left;
    QLabel last;
    QLabel thisTest;
    Benchmark benchmark;
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double fastest(const std::vector<double> &values)
{
    return *std::min_element(values.begin(), values.end());
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;

    std::vector<PlanCase> cases = { { 10, 10 }, { 1, 2000 }, { 1, 5000 }, { 100, 100 } };
    if (argc > 3)
        cases = { { quint32(std::atoi(argv[2])), quint32(std::atoi(argv[3])) } };
    WindowBench window;
    // Medians of the rounds; "fastest" compares the best round of each, which a shared, noisy
    // machine disturbs least.
    std::printf("%-14s %6s %10s %10s %10s %9s %9s %8s %12s\n", "plan", "passes", "bare s",
                "core s", "window s", "core/bare", "win/bare", "fastest", "win/thread");
    double worst = 0;
    for (const PlanCase &c : cases) {
        const std::vector<std::size_t> sizes = planSizes(c);
        bareLoop(sizes);
        bareLoopOnThread(sizes);
        coreLoop(c);
        window.run(c);
        std::vector<double> bare, threaded, core, win;
        for (int r = 0; r < rounds; ++r) {
            bare.push_back(bareLoop(sizes));
            threaded.push_back(bareLoopOnThread(sizes));
            core.push_back(coreLoop(c));
            win.push_back(window.run(c));
        }
        const double b = median(bare);
        const double k = median(core);
        const double w = median(win);
        const double best = fastest(win) / fastest(bare);
        const double t = median(threaded);
        worst = std::max(worst, w / b);
        char name[32];
        std::snprintf(name, sizeof name, "%u MB / %u", c.totalMb, c.count);
        std::printf("%-14s %6zu %10.6f %10.6f %10.6f %9.3f %9.3f %8.3f %12.3f\n", name,
                    sizes.size(), b, k, w, k / b, w / b, best, w / t);
    }
    std::printf("worst median window/bare ratio: %.3f (target <= 1.05: %s)\n", worst,
                worst <= 1.05 ? "met" : "NOT met");
    return 0;
}
