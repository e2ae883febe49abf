#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

namespace Kalvoren {

// Where a run's demand makes the kernel reclaim first: the machine, or the cgroup level whose
// limit is nearest. Reclaim starts there once freeBytes are taken, and takes the page cache
// first, the inactive part before the active one.
struct ReclaimScope
{
    quint64 freeBytes = 0;         // MemFree, or a cgroup's limit less what it is charged
    quint64 fileCacheBytes = 0;    // page cache on the file LRU lists, active and inactive
    quint64 inactiveFileBytes = 0; // the part of it the kernel drops first
};

// How much memory a process can still take without paging out or waking the OOM killer, and
// the size of the limit that decides it (the whole machine, or the cgroup we run in).
struct MemoryRoom
{
    quint64 availableBytes = 0; // the least free room of all the limits below
    quint64 limitBytes = 0;     // total size of the limit that binds (MemTotal or a cgroup's)
    QString boundBy;            // "memory" or the cgroup directory that binds

    // The machine's own figures (/proc/meminfo), for telling what a run changed; empty where
    // the system does not say.
    std::optional<quint64> memFreeBytes = std::nullopt;      // MemFree
    std::optional<quint64> memAvailableBytes = std::nullopt; // MemAvailable
    std::optional<quint64> fileCacheBytes = std::nullopt;    // Active(file) + Inactive(file)
    std::optional<quint64> swapFreeBytes = std::nullopt;     // SwapFree
    // Empty on systems whose reclaim we do not know (they page out instead).
    std::optional<ReclaimScope> reclaim = std::nullopt;
};

// Who runs the purge helper when Kalvoren is not root.
enum class PurgeElevation {
    None,   // skip the purge with one log line
    Pkexec, // ask polkit (pkexec) for the purge action
};

enum class PurgeOutcome {
    Done,
    Skipped,
    Failed,
};

struct PurgeResult
{
    PurgeOutcome outcome = PurgeOutcome::Skipped;
    // What happened, for the log and optimize --json's purge_message; empty when Done. In
    // English, as log lines are: scripts and searches read them.
    QString message;
};

} // namespace Kalvoren
