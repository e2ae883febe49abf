#pragma once

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
    // What the optimizer plans with: the page cache on the file LRU lists and free swap.
    std::optional<quint64> activeFile;   // Active(file), since 2.6.28
    std::optional<quint64> inactiveFile; // Inactive(file)
    std::optional<quint64> swapFree;
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

// The memory statistics in vm_stat's layout, with a speculative line of 0 so that the
// eight-group pattern matches. Empty text and an error when meminfo lacks a needed field.
struct VmStatRendering
{
    QByteArray text;
    QString error;
};
VmStatRendering renderVmStat(const MemInfo &info, const VmCounters &counters, quint64 pageSize);

} // namespace Kalvoren
