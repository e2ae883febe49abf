// Feeds arbitrary bytes to the /proc/meminfo and /proc/vmstat readers, makes a sample of what
// they found, and checks it against its own vm_stat layout read back with the pattern.
#include "platform/linux/ProcMemInfo.h"
#include "stats/MemoryFigures.h"

#include <QString>

#include <cstdint>
#include <cstdlib>

using namespace Kalvoren;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    // The first byte picks the page size: the real ones, and some that must be refused.
    static constexpr quint64 pageSizes[] = { 4096, 16384, 65536, 1024, 0, 1000, 2097152 };
    const quint64 pageSize = pageSizes[data[0] % (sizeof pageSizes / sizeof pageSizes[0])];
    const QByteArrayView text(reinterpret_cast<const char *>(data) + 1, qsizetype(size - 1));

    const MemInfo info = parseMemInfo(text);
    const VmCounters counters = parseVmCounters(text);

    const MemoryPartitionResult result = partitionMemory(info, pageSize);
    if (result.error.isEmpty()) {
        // The four slices account for every page of MemTotal, unless the named counters
        // already exceed it (wired is then floored at 0).
        const MemoryPartition &p = result.partition;
        const quint64 totalPages = *info.memTotal / (pageSize / 1024);
        const unsigned __int128 named = (unsigned __int128)p.freePages + p.activePages
                + p.inactivePages;
        const unsigned __int128 all = named + p.wiredPages;
        if (named <= totalPages ? all != totalPages : p.wiredPages != 0)
            std::abort();
    }

    const std::optional<MemorySample> sample = sampleFromMemInfo(info, counters, pageSize);
    if (sample.has_value() != result.error.isEmpty())
        std::abort();
    if (sample) {
        // Whatever was read, the sample's vm_stat layout is what the eight-group pattern
        // expects, and gives the same figures.
        const std::optional<MemoryFigures> rendered = figuresFromVmStat(
                QString::fromLatin1(renderVmStat(*sample)), VmStatPattern::EightGroups);
        if (!rendered || !(*rendered == figuresFromSample(*sample)))
            std::abort();
    }
    return 0;
}
