#pragma once

#include "platform/MemoryBudget.h"
#include "platform/MemoryRoom.h"

#include <QtGlobal>

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

} // namespace Kalvoren
