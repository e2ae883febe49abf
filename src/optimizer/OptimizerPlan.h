#pragma once

#include "platform/MemoryBudget.h"
#include "platform/MemoryRoom.h"

#include <QtGlobal>

#include <optional>

namespace Kalvoren {

// One byte is written per stride: the least work that makes the kernel back every page.
// A constant, not the page size the figures report.
constexpr quint64 touchStride = 4096;
// A run holds at most this many blocks at once.
constexpr int maxBlocks = 20;

// S: the free and inactive figures, each truncated toward zero, summed in 64 bits so that a
// machine with more than 4 GiB free does not wrap around. Negative or NaN figures count 0.
quint64 optimizerSum(float free, float inactive);

// What a run takes, by framework version: below 949 ten blocks of S/20 against a maximum of
// S; from 949 twenty blocks of S/20 against 2 S; from 1038 twenty blocks of S x 1.3 / 20.
struct OptimizerPlan
{
    double progressMaximum = 0; // bytes; what the progress bar counts up to
    int count = 0;              // blocks
    quint64 size = 0;           // bytes in each block
};
OptimizerPlan planOptimization(quint64 sum, double frameworkVersion);

// What touching a block of size bytes adds to the progress: 4096 per touched offset, so
// the smallest multiple of 4096 that is not below size.
quint64 touchedBytesFor(quint64 size);

// What bounds the bytes a run takes.
enum class PlanBound {
    Rows,        // the row's blocks, from the free and inactive figures
    Budget,      // the memory available less the reserve
    Reclaimable, // what the kernel can still give back without swapping
};

// The blocks a run takes: the row's count, each block at most the row's size.
struct BlockPlan
{
    int count = 0;
    quint64 blockSize = 0; // 0: no block is taken
    PlanBound bound = PlanBound::Rows;
    std::optional<quint64> reclaimableBytes; // the page cache the plan counted on, if known
};

// Narrows the row's blocks so that all of them together stay within budget (none: no limit
// known) and, where the system says how it reclaims, within what taking memory can still make
// it give back:
// - after a purge that ran, only the inactive page cache the purge left;
// - otherwise what is free in the reclaim scope and then its page cache, since reclaim starts
//   only once the free memory is taken; a run that could not get back at least one block's
//   worth of page cache that way takes nothing.
// Sizes below the row's are whole 4096-byte strides.
BlockPlan planBlocks(const OptimizerPlan &rows, std::optional<quint64> budget,
                     const std::optional<ReclaimScope> &scope, bool purged);

// Whether the block just taken still paid, judged from the room looked at before it and
// after it: where less was free in the reclaim scope than the block, the difference had to be
// reclaimed, and at least half of it must show both as free room regained and as page cache
// dropped. Swap use grown by more than 1 % of what the run holds (since start) means reclaim
// has turned to other programs' memory: that never pays.
bool reclaimStillPays(const MemoryRoom &start, const MemoryRoom &before, const MemoryRoom &after,
                      quint64 blockBytes, quint64 heldBytes);

} // namespace Kalvoren
