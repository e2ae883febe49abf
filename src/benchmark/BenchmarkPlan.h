#pragma once

#include "platform/MemoryRoom.h"

#include <QString>
#include <QStringView>

#include <optional>

namespace Kalvoren {

// The allocation benchmark's arithmetic: which inputs it accepts, which block sizes its passes
// take, what it suggests, and the texts it shows. Shared by the window and the command line.

// The largest total a test takes, in megabytes.
inline constexpr quint32 benchmarkMaxTotalMb = 3000;
// The size of the first pass, and of the pass after one of exactly the total.
inline constexpr quint64 benchmarkFirstSize = 2;

// The two inputs as read from their fields: each field's leading whole number, kept as
// unsigned, so that a negative entry becomes a very large total (refused) or a count whose
// signed value is negative (no pass runs).
struct BenchmarkInputs
{
    quint32 totalMb = 0;
    quint32 numAlloc = 0;
};
BenchmarkInputs benchmarkInputsFromTexts(QStringView total, QStringView count);

// The largest total, in megabytes, that the memory room allows: what is available less the
// reserve the optimizer keeps too (budgetFrom). On Linux, a total beyond what is available
// does not page out: the kernel's out-of-memory killer ends a process instead. Empty when the
// system does not say how much room there is.
std::optional<quint32> benchmarkLimitMb(const std::optional<MemoryRoom> &room);

// True when a test may run with these inputs: a total from 1 to 3000 MB and within limitMb
// when there is one, and a count that is not 0.
bool benchmarkInputsAccepted(const BenchmarkInputs &inputs, std::optional<quint32> limitMb);

// The total the "Suggest" button proposes: 80 % of free plus inactive memory (bytes) in whole
// megabytes, rounded half away from zero, at most 3000, and never above limitMb.
quint32 suggestedTotalMb(float freeBytes, float inactiveBytes, std::optional<quint32> limitMb);

// The passes of one test: sizes 2, 2 + step, 2 + 2 step ... up to exactly the total, and
// back to 2 after a pass of the total. numAlloc + 1 passes run.
struct BenchmarkPlan
{
    quint64 total = 0; // bytes
    quint64 step = 0;  // bytes
    qint32 allocLeft = -1; // the first pass's "left" count; passes run while it is not negative

    quint64 nextSize(quint64 size) const
    {
        if (size == total)
            return benchmarkFirstSize;
        return qMin(size + step, total);
    }
    qint64 passCount() const { return allocLeft < 0 ? 0 : qint64(allocLeft) + 1; }
};
// The step is 1 kB when the total is at most numAlloc kB, and total / numAlloc otherwise.
BenchmarkPlan planBenchmark(const BenchmarkInputs &inputs);

// Texts of the window (and of the command line), in the user's language; numbers keep the
// point.
QString benchmarkProblemTitle();                   // "Oh, there is a problem"
// The inputs are refused: "I cannot proceed ..." and, on a line of its own, the largest
// total allowed now (limitMb, at most 3000 MB).
QString benchmarkRefusalText(std::optional<quint32> limitMb);
QString benchmarkAllocationRefusedText(quint64 size); // "System refused to allocate %1 MB"
QString benchmarkExceptionText(const QString &name, const QString &reason);
QString benchmarkTaskText(quint64 size);           // "Allocate, Use then Free %d kB"
QString benchmarkLeftText(qint32 left);            // "%d"
QString benchmarkLastTestText(double seconds);     // "Last test was completed in %f seconds"
QString benchmarkThisTestText(double seconds);     // "This test was completed in %f seconds"
// The command line's line for a finished test, "This test was completed in %f seconds".
// Scripts read it: it stays English in every language.
QString benchmarkCompletedLine(double seconds);
// "This test was cancelled after %1 passes, in %2 seconds": the command line's line for a
// test stopped by Ctrl-C.
QString benchmarkCancelledText(qint64 passes, double seconds);

} // namespace Kalvoren
