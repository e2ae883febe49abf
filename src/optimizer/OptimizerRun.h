#pragma once

#include "optimizer/OptimizerPlan.h"
#include "platform/MemoryRoom.h"

#include <QString>

#include <atomic>
#include <cstddef>
#include <functional>
#include <limits>
#include <optional>

namespace Kalvoren {

// Where a run's blocks come from. Tests put in one that fails or throws.
struct BlockAllocator
{
    std::function<void *(std::size_t)> allocate; // null when nothing could be had; may throw
    std::function<void(void *)> release;         // takes what allocate gave, or null

    // malloc and free.
    static BlockAllocator system();
};

// One block: allocates size bytes (contents left as they come) and writes 1 at every 4096th
// byte, adding 4096 to touchedBytes per written byte. Null when the allocation failed; the
// progress does not move then. On Linux the pages are first faulted in a run at a time
// (MADV_POPULATE_WRITE), and a large block is shared with a second thread, so that both
// cores work and the kernel is not entered once per page. A std::exception on the way is
// logged as "Exception - Exception <type>, Reason <what>, " and the block returned as far as
// obtained.
void *takeAndTouchBlock(quint64 size, std::atomic<quint64> &touchedBytes,
                        const BlockAllocator &allocator);

struct OptimizerResult;

// What a run needs from its surroundings. Every callback is called on the running thread.
struct OptimizerEnvironment
{
    // Gives memory back before the blocks are taken; empty: no purge.
    std::function<PurgeResult()> purge;
    // S, read after the purge (the figures may have been refreshed meanwhile).
    std::function<quint64()> sum;
    // Picks the row of the plan.
    double frameworkVersion = 1038.0;
    // The memory that may still be taken, read before the run and before each block; empty,
    // or answering nothing: no limit known.
    std::function<std::optional<MemoryRoom>()> room;
    BlockAllocator allocator = BlockAllocator::system();
    // Once the plan and the budget are known (sum, plan, blockSize, bound, budget,
    // roomBefore and purge of the result are set), before the first block.
    std::function<void(const OptimizerResult &soFar)> planned;
};

constexpr quint64 noBudgetLimit = std::numeric_limits<quint64>::max();

struct OptimizerResult
{
    quint64 sum = 0;
    OptimizerPlan plan;
    quint64 blockSize = 0;                 // plan.size, narrowed (see planBlocks); 0: no block
    PlanBound bound = PlanBound::Rows;     // what narrowed it
    std::optional<quint64> reclaimable;    // page cache the plan counted on, where known
    quint64 budget = noBudgetLimit;        // bytes the run could take at its start
    std::optional<MemoryRoom> roomBefore;  // looked at after the purge
    PurgeResult purge;
    int blocksTaken = 0;                   // blocks that were allocated
    int blocksFailed = 0;                  // allocations that gave nothing
    quint64 bytesTouched = 0;              // what the progress counted for this run
    bool cancelled = false;                // a cancel request stopped the blocks
    bool stoppedAtReserve = false;         // the reserve stopped the blocks
    bool stoppedNotPaying = false;         // reclaim stopped paying (see reclaimStillPays)
    double seconds = 0;                    // from the purge to the last block freed
};

// What the progress counts when every block is taken at the narrowed size; what a display
// counts up to, so that it ends full.
quint64 plannedTouchBytes(const OptimizerResult &result);

// One optimization: purge, plan from S and the version narrowed by planBlocks, then the
// blocks one after another, each checked against the cancel request, the memory left and
// (from the second on) whether reclaim still pays; all held until the last is touched, then
// all freed in order, whatever happened. touchedBytes counts up from
// its value at the start, so a progress display can read it from another thread.
OptimizerResult runOptimizer(const OptimizerEnvironment &environment,
                             const std::atomic<bool> &cancelRequest,
                             std::atomic<quint64> &touchedBytes);

} // namespace Kalvoren
