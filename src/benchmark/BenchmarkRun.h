#pragma once

#include "benchmark/BenchmarkPlan.h"

#include <QString>

#include <atomic>
#include <cstddef>
#include <cstdlib>

namespace Kalvoren {

// Where a test's blocks come from; tests put a failing allocator in.
struct BenchmarkAllocator
{
    void *(*allocate)(std::size_t size) = std::malloc;
    void (*release)(void *block) = std::free;
};

// What a running test reports, on the thread that runs it, in this order per pass:
// passStarting (before the block is taken), passFinished (after it is freed).
class BenchmarkObserver
{
public:
    virtual ~BenchmarkObserver() = default;
    virtual void passStarting(quint64 size) { Q_UNUSED(size); }
    // left: the passes still to run after this one, as the "left" field shows it.
    virtual void passFinished(qint32 left) { Q_UNUSED(left); }
    // A problem the user must see (refused inputs, a failed allocation, an exception). The
    // test goes on to its end only once this returns, so a window shows its alert and waits.
    virtual void problem(const QString &message) { Q_UNUSED(message); }
};

enum class BenchmarkOutcome {
    Completed,        // every pass ran; seconds is the time
    Cancelled,        // stopped before a pass by the cancel request; seconds covers the passes run
    Refused,          // the inputs were refused; no pass ran
    AllocationFailed, // a block could not be had; no time
    Failed,           // an exception; no time
};

struct BenchmarkResult
{
    BenchmarkOutcome outcome = BenchmarkOutcome::Refused;
    double seconds = 0;
    qint64 passesRun = 0;

    // Whether the test has a time to report.
    bool timed() const
    {
        return outcome == BenchmarkOutcome::Completed || outcome == BenchmarkOutcome::Cancelled;
    }
};

// Runs one test on the calling thread: checks the inputs (refusing with
// benchmarkRefusalText(limitMb)), then allocates, fills with 0xFF, marks three bytes and frees one
// block per pass until the plan is done or cancelRequest is seen before a pass. The time runs
// from before the first pass to after the last (a monotonic clock).
BenchmarkResult runBenchmark(const BenchmarkInputs &inputs, std::optional<quint32> limitMb,
                             const std::atomic<bool> &cancelRequest, BenchmarkObserver &observer,
                             const BenchmarkAllocator &allocator = BenchmarkAllocator());

// One pass's use of a block: every byte 0xFF, then the first, middle and last bytes 0.
// The writes are kept even though nothing reads them afterwards.
void useBenchmarkBlock(unsigned char *block, std::size_t size);

} // namespace Kalvoren
