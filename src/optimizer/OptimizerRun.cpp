#include "OptimizerRun.h"

#include <QDebug>

#include <sys/mman.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cxxabi.h>
#include <memory>
#include <system_error>
#include <thread>
#include <typeinfo>

// Linux 5.14; older headers lack the name, older kernels answer EINVAL.
#if defined(__linux__) && !defined(MADV_POPULATE_WRITE)
#define MADV_POPULATE_WRITE 23
#endif

namespace Kalvoren {
namespace {

// Pages are faulted in and counted a run of this many at a time: one system call instead of
// 512 page faults, and the progress counter, shared with the display thread, is written
// seldom enough that the two do not fight over its cache line.
constexpr quint64 pagesPerRun = 512;
// From this size a block is touched by two threads, one half each.
constexpr quint64 sharedTouchFrom = quint64(64) << 20;

QString typeName(const std::exception &exception)
{
    const char *mangled = typeid(exception).name();
    int status = 0;
    std::unique_ptr<char, decltype(&std::free)> demangled(
            abi::__cxa_demangle(mangled, nullptr, nullptr, &status), &std::free);
    return QString::fromLatin1(status == 0 && demangled ? demangled.get() : mangled);
}

// Asks the kernel to back the whole pages in [begin, begin + length) for writing in one call;
// where it cannot, the writes that follow fault them in one by one.
void populate(char *begin, quint64 length)
{
#ifdef MADV_POPULATE_WRITE
    const quintptr first = (quintptr(begin) + touchStride - 1) / touchStride * touchStride;
    const quintptr end = (quintptr(begin) + length) / touchStride * touchStride;
    if (end > first)
        ::madvise(reinterpret_cast<void *>(first), end - first, MADV_POPULATE_WRITE);
#else
    Q_UNUSED(begin);
    Q_UNUSED(length);
#endif
}

// Writes 1 at every stride of [begin, begin + length), begin being a stride from the block's
// start.
void touchRange(char *begin, quint64 length, std::atomic<quint64> &touchedBytes)
{
    const quint64 runBytes = pagesPerRun * touchStride;
    for (quint64 run = 0; run < length; run += runBytes) {
        const quint64 end = std::min(length, run + runBytes);
        populate(begin + run, end - run);
        quint64 pages = 0;
        for (quint64 offset = run; offset < end; offset += touchStride, ++pages)
            begin[offset] = 1;
        touchedBytes.fetch_add(pages * touchStride, std::memory_order_relaxed);
    }
}

void touch(char *block, quint64 size, std::atomic<quint64> &touchedBytes)
{
    if (size < sharedTouchFrom) {
        touchRange(block, size, touchedBytes);
        return;
    }
    const quint64 half = size / 2 / touchStride * touchStride;
    std::optional<std::thread> helper;
    try {
        helper.emplace(touchRange, block + half, size - half, std::ref(touchedBytes));
    } catch (const std::system_error &) {
        // No second thread to be had: this one does it all.
        touchRange(block + half, size - half, touchedBytes);
    }
    touchRange(block, half, touchedBytes);
    if (helper)
        helper->join();
}

quint64 roundDownToStride(quint64 bytes)
{
    return bytes / touchStride * touchStride;
}

} // namespace

BlockAllocator BlockAllocator::system()
{
    return { [](std::size_t size) { return std::malloc(size); },
             [](void *block) { std::free(block); } };
}

void *takeAndTouchBlock(quint64 size, std::atomic<quint64> &touchedBytes, const BlockAllocator &allocator)
{
    void *block = nullptr;
    try {
        block = allocator.allocate(std::size_t(size));
        if (!block)
            return nullptr;
        touch(static_cast<char *>(block), size, touchedBytes);
    } catch (const std::exception &exception) {
        qWarning().noquote() << QStringLiteral("Exception - Exception %1, Reason %2, ")
                                        .arg(typeName(exception), QString::fromLocal8Bit(
                                                                          exception.what()));
    }
    return block;
}

quint64 plannedTouchBytes(const OptimizerResult &result)
{
    return quint64(result.plan.count) * touchedBytesFor(result.blockSize);
}

OptimizerResult runOptimizer(const OptimizerEnvironment &environment,
                             const std::atomic<bool> &cancelRequest,
                             std::atomic<quint64> &touchedBytes)
{
    OptimizerResult result;
    const auto started = std::chrono::steady_clock::now();
    const quint64 touchedAtStart = touchedBytes.load(std::memory_order_relaxed);

    if (environment.purge) {
        result.purge = environment.purge();
        // One line either way: a skipped or failed purge never stops the run.
        if (result.purge.outcome == PurgeOutcome::Skipped)
            qInfo().noquote() << result.purge.message;
        else if (result.purge.outcome == PurgeOutcome::Failed)
            qWarning().noquote() << result.purge.message;
    } else {
        result.purge = { PurgeOutcome::Skipped, QString() };
    }

    result.sum = environment.sum ? environment.sum() : 0;
    result.plan = planOptimization(result.sum, environment.frameworkVersion);

    // The run's whole take stays within what was available at its start, less the reserve,
    // and within what the kernel can still give back; spread over all blocks so that a
    // cancel still comes between blocks of modest size.
    if (environment.room)
        result.roomBefore = environment.room();
    std::optional<quint64> budget;
    if (result.roomBefore) {
        budget = budgetFrom(*result.roomBefore);
        result.budget = *budget;
    }
    const BlockPlan blocksPlan = planBlocks(
            result.plan, budget, result.roomBefore ? result.roomBefore->reclaim : std::nullopt,
            result.purge.outcome == PurgeOutcome::Done);
    result.blockSize = blocksPlan.blockSize;
    result.bound = blocksPlan.bound;
    result.reclaimable = blocksPlan.reclaimableBytes;
    if (environment.planned)
        environment.planned(result);

    void *blocks[maxBlocks] = {};
    quint64 taken = 0;
    quint64 lastSize = 0;
    std::optional<MemoryRoom> beforeLast;
    // A block of 0 bytes would give nothing back: a plan without room takes no block at all.
    const int count = result.blockSize > 0 ? std::min(result.plan.count, maxBlocks) : 0;
    for (int i = 0; i < count; ++i) {
        if (cancelRequest.load()) {
            result.cancelled = true;
            break;
        }
        quint64 size = result.blockSize;
        std::optional<MemoryRoom> now;
        if (result.roomBefore) {
            // Others may have taken memory since: look again before every block.
            now = environment.room();
            if (now && beforeLast && lastSize > 0
                && !reclaimStillPays(*result.roomBefore, *beforeLast, *now, lastSize, taken)) {
                result.stoppedNotPaying = true;
                break;
            }
            quint64 allowed = result.budget - std::min(result.budget, taken);
            if (now)
                allowed = std::min(allowed, budgetFrom(*now));
            size = std::min(size, roundDownToStride(allowed));
            if (size == 0) {
                result.stoppedAtReserve = true;
                break;
            }
        }
        blocks[i] = takeAndTouchBlock(size, touchedBytes, environment.allocator);
        beforeLast = now;
        lastSize = blocks[i] ? size : 0;
        if (blocks[i]) {
            ++result.blocksTaken;
            taken += size;
        } else {
            ++result.blocksFailed;
        }
    }

    for (void *block : blocks) {
        if (block)
            environment.allocator.release(block);
    }
    result.bytesTouched = touchedBytes.load(std::memory_order_relaxed) - touchedAtStart;
    result.seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return result;
}

} // namespace Kalvoren
