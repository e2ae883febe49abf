#pragma once

#include "optimizer/OptimizerRun.h"

#include <QString>

#include <optional>

namespace Kalvoren {

// Memory figures taken just before and just after an optimization, in bytes.
struct MemorySnapshot
{
    double freeBytes = 0;
    // What the system could hand out without paging: MemAvailable on Linux, free plus
    // inactive where the system does not say.
    double availableBytes = 0;
    // The page cache (Active(file) + Inactive(file)) where the system says.
    std::optional<double> pageCacheBytes = std::nullopt;
};

// The lines of the notice after a run: free and available memory before and after, with the
// change, e.g. "Free memory: 812.40 MB -> 2410.22 MB (+1597.82 MB)", each number joined to its
// unit by a no-break space, and the page cache where both snapshots have it. Without a before
// snapshot (a run not started through the button) only the figures after the run.
QString memoryChangeText(const std::optional<MemorySnapshot> &before,
                         const MemorySnapshot &after);

// A change in megabytes with its sign, "+512.50 MB" or "-3.00 MB"; "0.00 MB" when it rounds
// to nothing.
QString signedMegabytesText(double bytes);

// What the run itself did, one sentence a line: why it took no block or stopped early, how
// long it took, and whether the page cache was dropped first (how to have it dropped when
// that needs root). Shared by the notice and the command line.
QString runReportText(const OptimizerResult &result);

// The purge's line of that report.
QString purgeReportLine(const PurgeResult &purge);

} // namespace Kalvoren
