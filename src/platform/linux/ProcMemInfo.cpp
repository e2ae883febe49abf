#include "ProcMemInfo.h"

#include "platform/PlatformText.h"

#include <algorithm>


namespace Kalvoren {
namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

// Calls handle(name, value) for every "name: digits ..." or "name digits" line.
template<typename Handler>
void forEachNumberLine(QByteArrayView text, char separator, Handler handle)
{
    if (text.startsWith("\xEF\xBB\xBF"))
        text = text.sliced(3);
    while (!text.isEmpty()) {
        qsizetype end = text.indexOf('\n');
        const QByteArrayView line = end < 0 ? text : text.first(end);
        text = end < 0 ? QByteArrayView() : text.sliced(end + 1);

        const qsizetype sep = line.indexOf(separator);
        if (sep <= 0)
            continue;
        const QByteArrayView name = line.first(sep);
        qsizetype i = sep + 1;
        while (i < line.size() && isSpace(line[i]))
            ++i;
        if (i == line.size() || line[i] < '0' || line[i] > '9')
            continue;
        quint64 value = 0;
        bool overflow = false;
        for (; i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i) {
            const quint64 digit = quint64(line[i] - '0');
            if (value > (~quint64(0) - digit) / 10)
                overflow = true;
            value = value * 10 + digit;
        }
        if (!overflow)
            handle(name, value);
    }
}

std::optional<quint64> *memInfoField(MemInfo &info, QByteArrayView name)
{
    if (name == "MemTotal")
        return &info.memTotal;
    if (name == "MemFree")
        return &info.memFree;
    if (name == "MemAvailable")
        return &info.memAvailable;
    if (name == "Active")
        return &info.active;
    if (name == "Inactive")
        return &info.inactive;
    if (name == "Buffers")
        return &info.buffers;
    if (name == "Cached")
        return &info.cached;
    if (name == "Shmem")
        return &info.shmem;
    if (name == "SwapTotal")
        return &info.swapTotal;
    if (name == "SwapFree")
        return &info.swapFree;
    if (name == "Zswap")
        return &info.zswap;
    if (name == "Zswapped")
        return &info.zswapped;
    if (name == "Active(file)")
        return &info.activeFile;
    if (name == "Inactive(file)")
        return &info.inactiveFile;
    return nullptr;
}

} // namespace

MemInfo parseMemInfo(QByteArrayView text)
{
    MemInfo info;
    forEachNumberLine(text, ':', [&info](QByteArrayView name, quint64 value) {
        if (auto *field = memInfoField(info, name); field && !field->has_value())
            *field = value;
    });
    return info;
}

VmCounters parseVmCounters(QByteArrayView text)
{
    VmCounters counters;
    forEachNumberLine(text, ' ', [&counters](QByteArrayView name, quint64 value) {
        if (name == "pgpgin")
            counters.pageInKb = value;
        else if (name == "pgpgout")
            counters.pageOutKb = value;
    });
    return counters;
}

MemoryPartitionResult partitionMemory(const MemInfo &info, quint64 pageSize)
{
    MemoryPartitionResult result;
    const char *missing = !info.memTotal ? "MemTotal"
            : !info.memFree              ? "MemFree"
            : !info.active               ? "Active"
            : !info.inactive             ? "Inactive"
                                         : nullptr;
    if (missing) {
        result.error = PlatformText::tr("/proc/meminfo has no %1 field")
                               .arg(QLatin1String(missing));
        return result;
    }
    if (pageSize == 0 || pageSize % 1024 != 0) {
        result.error = PlatformText::tr("unusable page size %1").arg(pageSize);
        return result;
    }
    const quint64 kbPerPage = pageSize / 1024;
    const quint64 totalPages = *info.memTotal / kbPerPage;
    MemoryPartition &p = result.partition;
    p.freePages = *info.memFree / kbPerPage;
    p.activePages = *info.active / kbPerPage;
    p.inactivePages = *info.inactive / kbPerPage;
    // Same partition as procps' free: whatever the three named counters do not explain is
    // held by the kernel. The counters are read at slightly different moments, so the
    // remainder can come out negative by a few pages; it is floored at 0.
    // The sum saturates: absurd counters (a corrupt or hostile file) must not wrap it
    // around to a small number and leave a huge wired slice.
    quint64 named = 0;
    for (const quint64 pages : { p.freePages, p.activePages, p.inactivePages })
        named = pages > ~quint64(0) - named ? ~quint64(0) : named + pages;
    p.wiredPages = totalPages > named ? totalPages - named : 0;
    return result;
}

std::optional<MemorySample> sampleFromMemInfo(const MemInfo &info, const VmCounters &counters,
                                              quint64 pageSize, QString *error)
{
    const MemoryPartitionResult partition = partitionMemory(info, pageSize);
    if (!partition.error.isEmpty()) {
        if (error)
            *error = partition.error;
        return std::nullopt;
    }
    const MemoryPartition &p = partition.partition;
    const quint64 kbPerPage = pageSize / 1024;
    // Products saturate: a corrupt or hostile file must not wrap a figure around.
    const auto times = [](quint64 count, quint64 unit) {
        return unit != 0 && count > ~quint64(0) / unit ? ~quint64(0) : count * unit;
    };
    const auto bytes = [&times](quint64 kb) { return times(kb, 1024); };
    const auto optionalBytes = [&bytes](const std::optional<quint64> &kb) {
        return kb ? std::optional<quint64>(bytes(*kb)) : std::nullopt;
    };
    MemorySample s;
    s.pageSize = pageSize;
    s.totalBytes = bytes(*info.memTotal);
    s.freeBytes = times(p.freePages, pageSize);
    s.activeBytes = times(p.activePages, pageSize);
    s.inactiveBytes = times(p.inactivePages, pageSize);
    s.wiredBytes = times(p.wiredPages, pageSize);
    s.pageIns = counters.pageInKb / kbPerPage;
    s.pageOuts = counters.pageOutKb / kbPerPage;
    s.availableBytes = optionalBytes(info.memAvailable);
    if (info.cached || info.buffers)
        s.cacheBytes = bytes(std::min(info.cached.value_or(0), ~quint64(0) / 2)
                             + std::min(info.buffers.value_or(0), ~quint64(0) / 2));
    s.shmemBytes = optionalBytes(info.shmem);
    s.swapTotalBytes = optionalBytes(info.swapTotal);
    s.swapFreeBytes = optionalBytes(info.swapFree);
    s.zswapBytes = optionalBytes(info.zswap);
    s.zswappedBytes = optionalBytes(info.zswapped);
    return s;
}

} // namespace Kalvoren
