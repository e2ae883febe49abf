#include "OptimizerRun.h"

#include <QDebug>
#include <QFile>

#include <cstdio>
#include <cstdlib>
#include <cxxabi.h>
#include <memory>
#include <typeinfo>

namespace Kalvoren {
namespace {

// The progress counter is shared with the display thread; add to it every 64 pages rather
// than every page so the two do not fight over its cache line.
constexpr quint64 pagesPerProgressStep = 64;

QString typeName(const std::exception &exception)
{
    const char *mangled = typeid(exception).name();
    int status = 0;
    std::unique_ptr<char, decltype(&std::free)> demangled(
            abi::__cxa_demangle(mangled, nullptr, nullptr, &status), &std::free);
    return QString::fromLatin1(status == 0 && demangled ? demangled.get() : mangled);
}

void touch(char *block, quint64 size, std::atomic<quint64> &touchedBytes)
{
    quint64 pending = 0;
    for (quint64 offset = 0; offset < size; offset += touchStride) {
        block[offset] = 1;
        if (++pending == pagesPerProgressStep) {
            touchedBytes.fetch_add(pending * touchStride, std::memory_order_relaxed);
            pending = 0;
        }
    }
    touchedBytes.fetch_add(pending * touchStride, std::memory_order_relaxed);
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

void *doFree(quint64 size, std::atomic<quint64> &touchedBytes, const BlockAllocator &allocator)
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

bool doInactive(quint32 size, const QString &path, std::atomic<quint64> &progressBytes)
{
    std::unique_ptr<char, decltype(&std::free)> buffer(
            static_cast<char *>(std::malloc(touchStride)), &std::free);
    if (!buffer)
        return false;
    FILE *file = std::fopen(QFile::encodeName(path).constData(), "w");
    if (!file)
        return false;
    bool ok = true;
    quint64 left = size;
    while (ok && left >= touchStride) {
        ok = std::fwrite(buffer.get(), 1, touchStride, file) == touchStride;
        progressBytes.fetch_add(touchStride, std::memory_order_relaxed);
        left -= touchStride;
    }
    if (ok && left > 0) {
        ok = std::fwrite(buffer.get(), 1, left, file) == left;
        progressBytes.fetch_add(left, std::memory_order_relaxed);
    }
    return std::fclose(file) == 0 && ok;
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
    result.blockSize = result.plan.size;

    // The run's whole take stays within what was available at its start, less the reserve;
    // spread over all blocks so that a cancel still comes between blocks of modest size.
    if (environment.room)
        result.roomBefore = environment.room();
    if (result.roomBefore) {
        result.budget = budgetFrom(*result.roomBefore);
        const quint64 share = roundDownToStride(result.budget / quint64(result.plan.count));
        result.blockSize = std::min(result.blockSize, share);
    }
    if (environment.planned)
        environment.planned(result);

    void *blocks[maxBlocks] = {};
    quint64 taken = 0;
    for (int i = 0; i < result.plan.count; ++i) {
        if (cancelRequest.load()) {
            result.cancelled = true;
            break;
        }
        quint64 size = result.blockSize;
        if (result.roomBefore && size > 0) {
            // Others may have taken memory since: look again before every block.
            const std::optional<MemoryRoom> now = environment.room();
            quint64 allowed = result.budget - std::min(result.budget, taken);
            if (now)
                allowed = std::min(allowed, budgetFrom(*now));
            size = std::min(size, roundDownToStride(allowed));
            if (size == 0) {
                result.stoppedAtReserve = true;
                break;
            }
        }
        blocks[i] = doFree(size, touchedBytes, environment.allocator);
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
    return result;
}

} // namespace Kalvoren
