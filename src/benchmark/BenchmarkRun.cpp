#include "BenchmarkRun.h"

#include <chrono>
#include <cstring>
#include <cxxabi.h>
#include <exception>
#include <typeinfo>

namespace Kalvoren {
namespace {

QString exceptionName(const std::exception &e)
{
    int status = 0;
    char *name = abi::__cxa_demangle(typeid(e).name(), nullptr, nullptr, &status);
    const QString text = QString::fromLatin1(status == 0 && name ? name : typeid(e).name());
    std::free(name);
    return text;
}

} // namespace

void useBenchmarkBlock(unsigned char *block, std::size_t size)
{
    std::memset(block, 0xFF, size);
    block[0] = 0;
    block[size / 2] = 0;
    block[size - 1] = block[0];
    // Tell the compiler the block's contents are used, so that neither the fill nor the
    // allocation around it is optimised away.
    asm volatile("" : : "r"(block) : "memory");
}

BenchmarkResult runBenchmark(const BenchmarkInputs &inputs, std::optional<quint32> limitMb,
                             const std::atomic<bool> &cancelRequest, BenchmarkObserver &observer,
                             const BenchmarkAllocator &allocator)
{
    BenchmarkResult result;
    try {
        if (!benchmarkInputsAccepted(inputs, limitMb)) {
            result.outcome = BenchmarkOutcome::Refused;
            observer.problem(benchmarkRefusalText(limitMb));
            return result;
        }
        const BenchmarkPlan plan = planBenchmark(inputs);
        qint32 allocLeft = plan.allocLeft;
        quint64 size = benchmarkFirstSize;

        using Clock = std::chrono::steady_clock;
        const Clock::time_point start = Clock::now();
        while (allocLeft >= 0 && !cancelRequest.load(std::memory_order_relaxed)) {
            observer.passStarting(size);
            auto *block = static_cast<unsigned char *>(allocator.allocate(std::size_t(size)));
            if (!block) {
                result.outcome = BenchmarkOutcome::AllocationFailed;
                observer.problem(benchmarkAllocationRefusedText(size));
                return result;
            }
            useBenchmarkBlock(block, std::size_t(size));
            allocator.release(block);
            ++result.passesRun;
            size = plan.nextSize(size);
            observer.passFinished(allocLeft);
            --allocLeft;
        }
        const Clock::time_point end = Clock::now();
        result.seconds = std::chrono::duration<double>(end - start).count();
        result.outcome = allocLeft >= 0 ? BenchmarkOutcome::Cancelled : BenchmarkOutcome::Completed;
        return result;
    } catch (const std::exception &e) {
        result.outcome = BenchmarkOutcome::Failed;
        result.seconds = 0;
        observer.problem(
            benchmarkExceptionText(exceptionName(e), QString::fromLocal8Bit(e.what())));
        return result;
    }
}

} // namespace Kalvoren
