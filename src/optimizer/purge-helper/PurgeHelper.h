#pragma once

// The root side of the purge: kept tiny and free of Qt so that what runs with privileges is
// easy to read in full.

#include <string>
#include <string_view>
#include <vector>

namespace Kalvoren {

struct PurgeRequest
{
    int dropCaches = 3;  // 1 page cache, 2 dentries and inodes, 3 both
    bool compact = true; // also ask for memory compaction
};

struct PurgeArguments
{
    bool ok = false;
    PurgeRequest request;
    std::string error; // set when ok is false
};

// Accepts no arguments, "--caches=1", "--caches=2", "--caches=3" and "--no-compact", each at
// most once. Everything else is refused: the helper may run as root for another user.
PurgeArguments checkPurgeArguments(const std::vector<std::string_view> &arguments);

// sync(), then writes the request to drop_caches and compact_memory in vmDirectory
// (/proc/sys/vm in the helper). Returns one line per step that failed; a kernel without
// compaction (no compact_memory) is not a failure.
std::vector<std::string> runPurge(const PurgeRequest &request, const std::string &vmDirectory);

} // namespace Kalvoren
