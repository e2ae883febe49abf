#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

#include <optional>

namespace Kalvoren {

// One compressed swap device in memory (/sys/block/zramN, Documentation/admin-guide/blockdev/
// zram.rst). Figures the device does not give stay empty.
struct ZramDevice
{
    QString device;                        // "zram0"
    std::optional<quint64> disksizeBytes;  // the most it can hold, uncompressed
    std::optional<quint64> origDataBytes;  // what is stored, uncompressed
    std::optional<quint64> comprDataBytes; // the same, compressed
    std::optional<quint64> memUsedBytes;   // memory it takes, its own overhead included
    QString algorithm;                     // the selected compressor; empty when unknown

    // origData / comprData; empty while nothing is stored or the figures are missing.
    std::optional<double> compressionRatio() const;

    friend bool operator==(const ZramDevice &, const ZramDevice &) = default;
};

// Pressure stall information for memory (/proc/pressure/memory,
// Documentation/accounting/psi.rst): the share of time some or all tasks waited for memory,
// as percentages averaged over 10, 60 and 300 seconds, and the total stall time.
struct MemoryPressure
{
    struct Line
    {
        double avg10 = 0;
        double avg60 = 0;
        double avg300 = 0;
        quint64 totalUs = 0;

        friend bool operator==(const Line &, const Line &) = default;
    };
    Line some;
    std::optional<Line> full; // older kernels print only the "some" line

    friend bool operator==(const MemoryPressure &, const MemoryPressure &) = default;
};

// One reading of the system's memory, in bytes (page-in and page-out counts in pages).
//
// The four classes free, active, inactive and wired add up to the memory the system manages;
// each is a whole number of pages. Everything beyond them is optional: a system, kernel or
// container that does not say leaves the field empty, never zero.
struct MemorySample
{
    quint64 pageSize = 4096;
    quint64 totalBytes = 0;
    quint64 freeBytes = 0;
    quint64 activeBytes = 0;
    quint64 inactiveBytes = 0;
    quint64 wiredBytes = 0;
    // Pages a BSD-style vm_stat counts apart from the free ones; set only where the text
    // carried the count (the eight-group layout). Linux has no such class.
    std::optional<quint64> speculativeBytes;
    quint64 pageIns = 0;  // a running total, in pages
    quint64 pageOuts = 0; // a running total, in pages

    std::optional<quint64> availableBytes; // MemAvailable: what programs can still get
    std::optional<quint64> cacheBytes;     // page cache and buffers (Cached + Buffers)
    std::optional<quint64> shmemBytes;     // shared memory and tmpfs (part of the cache)
    std::optional<quint64> swapTotalBytes;
    std::optional<quint64> swapFreeBytes;
    std::optional<quint64> zswapBytes;     // memory the zswap pool takes
    std::optional<quint64> zswappedBytes;  // what it holds, uncompressed
    QList<ZramDevice> zram;
    std::optional<MemoryPressure> pressure;

    std::optional<quint64> swapUsedBytes() const;

    friend bool operator==(const MemorySample &, const MemorySample &) = default;
};

} // namespace Kalvoren
