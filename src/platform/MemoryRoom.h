#pragma once

#include <QString>
#include <QtGlobal>

namespace Kalvoren {

// How much memory a process can still take without paging out or waking the OOM killer, and
// the size of the limit that decides it (the whole machine, or the cgroup we run in).
struct MemoryRoom
{
    quint64 availableBytes = 0; // the least free room of all the limits below
    quint64 limitBytes = 0;     // total size of the limit that binds (MemTotal or a cgroup's)
    QString boundBy;            // "memory" or the cgroup directory that binds
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
