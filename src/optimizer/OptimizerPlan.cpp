#include "OptimizerPlan.h"

#include <algorithm>
#include <cmath>

namespace Kalvoren {
namespace {

quint64 truncatedBytes(float value)
{
    // Figures are byte counts; anything beyond 2^53 is no real machine, and the cap keeps the
    // conversion defined.
    if (!(value > 0))
        return 0;
    return quint64(std::min(std::trunc(double(value)), 9007199254740992.0));
}

} // namespace

quint64 optimizerSum(float free, float inactive)
{
    return truncatedBytes(free) + truncatedBytes(inactive);
}

OptimizerPlan planOptimization(quint64 sum, double frameworkVersion)
{
    const double version = std::floor(frameworkVersion);
    OptimizerPlan plan;
    plan.progressMaximum = double(sum);
    plan.count = 10;
    plan.size = sum / 20;
    if (version >= 949) {
        plan.progressMaximum = 2.0 * double(sum);
        plan.count = 20;
    }
    if (version >= 1038)
        plan.size = quint64(double(sum) * 1.3 / 20.0);
    return plan;
}

quint64 touchedBytesFor(quint64 size)
{
    return (size + touchStride - 1) / touchStride * touchStride;
}

BlockPlan planBlocks(const OptimizerPlan &rows, std::optional<quint64> budget,
                     const std::optional<ReclaimScope> &scope, bool purged)
{
    BlockPlan plan;
    plan.count = rows.count;
    plan.blockSize = rows.size;
    if (rows.count <= 0)
        return plan;
    const quint64 count = quint64(rows.count);
    quint64 total = count * rows.size;
    auto narrow = [&](quint64 bytes, PlanBound bound) {
        if (bytes < total) {
            total = bytes;
            plan.bound = bound;
        }
    };
    if (budget)
        narrow(*budget, PlanBound::Budget);
    if (scope) {
        plan.reclaimableBytes = purged ? scope->inactiveFileBytes : scope->fileCacheBytes;
        if (purged) {
            narrow(*plan.reclaimableBytes, PlanBound::Reclaimable);
        } else {
            narrow(scope->freeBytes + *plan.reclaimableBytes, PlanBound::Reclaimable);
            const quint64 regained = total - std::min(total, scope->freeBytes);
            if (regained < total / count)
                narrow(0, PlanBound::Reclaimable);
        }
    }
    if (total < count * rows.size)
        plan.blockSize = std::min(rows.size, total / count / touchStride * touchStride);
    return plan;
}

bool reclaimStillPays(const MemoryRoom &start, const MemoryRoom &before, const MemoryRoom &after,
                      quint64 blockBytes, quint64 heldBytes)
{
    if (start.swapFreeBytes && after.swapFreeBytes && *after.swapFreeBytes < *start.swapFreeBytes
        && *start.swapFreeBytes - *after.swapFreeBytes > heldBytes / 100)
        return false;
    if (!before.reclaim || !after.reclaim || before.reclaim->freeBytes >= blockBytes)
        return true;
    const qint64 needed = qint64(blockBytes - before.reclaim->freeBytes);
    const qint64 regained = qint64(after.reclaim->freeBytes) + qint64(blockBytes)
            - qint64(before.reclaim->freeBytes);
    const qint64 cacheDropped =
            qint64(before.reclaim->fileCacheBytes) - qint64(after.reclaim->fileCacheBytes);
    return regained >= needed / 2 && cacheDropped >= needed / 2;
}

} // namespace Kalvoren
