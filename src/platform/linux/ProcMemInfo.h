#pragma once

#include "platform/MemorySample.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

namespace Kalvoren {

// The fields of /proc/meminfo that Kalvoren uses, in kB as the kernel prints them
// (Documentation/filesystems/proc.rst, "meminfo"). A field the file lacks stays empty.
struct MemInfo
{
    std::optional<quint64> memTotal;
    std::optional<quint64> memFree;
    std::optional<quint64> memAvailable; // kernels before 3.14 lack it
    std::optional<quint64> active;
    std::optional<quint64> inactive;
    std::optional<quint64> buffers;
    std::optional<quint64> cached;
    std::optional<quint64> shmem;
    std::optional<quint64> swapTotal;
    std::optional<quint64> swapFree;
    std::optional<quint64> zswap;    // kernels from 6.5 with zswap
    std::optional<quint64> zswapped;
    // What the optimizer plans with: the page cache on the file LRU lists.
    std::optional<quint64> activeFile;   // Active(file), since 2.6.28
    std::optional<quint64> inactiveFile; // Inactive(file)
};

// Page-in and page-out totals from /proc/vmstat, in kB (pgpgin, pgpgout).
struct VmCounters
{
    quint64 pageInKb = 0;
    quint64 pageOutKb = 0;
};

// Reads "Name:   value kB" lines by name, never by position. Tolerates a UTF-8 byte-order
// mark, CRLF line ends, the 2.4 kernel's extra "total:"/"Mem:" table lines and a missing
// final newline. Values that do not parse leave the field empty.
MemInfo parseMemInfo(QByteArrayView text);
VmCounters parseVmCounters(QByteArrayView text);

// The four slices of physical memory in pages, computed so that they add up to MemTotal:
// wired is what is neither free, active nor inactive (kernel slabs, page tables, unevictable
// and driver memory), floored at 0 because the counters are read at slightly different moments.
struct MemoryPartition
{
    quint64 freePages = 0;
    quint64 activePages = 0;
    quint64 inactivePages = 0;
    quint64 wiredPages = 0;
};

struct MemoryPartitionResult
{
    MemoryPartition partition;
    QString error; // empty when the partition is valid
};
MemoryPartitionResult partitionMemory(const MemInfo &info, quint64 pageSize);

// A sample from meminfo and vmstat figures: the four classes of partitionMemory, MemTotal,
// and every further field the file has (cache is Cached + Buffers). Empty with the reason in
// error when meminfo lacks a field the four classes need.
std::optional<MemorySample> sampleFromMemInfo(const MemInfo &info, const VmCounters &counters,
                                              quint64 pageSize, QString *error = nullptr);

} // namespace Kalvoren
