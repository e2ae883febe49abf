#pragma once

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
};

// The lines of the notice after a run: free and available memory before and after, with the
// change, e.g. "Free memory: 812.40 MB -> 2410.22 MB (+1597.82 MB)", each number joined to its
// unit by a no-break space. Without a before snapshot (a run not started through the button)
// only the figures after the run.
QString memoryChangeText(const std::optional<MemorySnapshot> &before,
                         const MemorySnapshot &after);

} // namespace Kalvoren
