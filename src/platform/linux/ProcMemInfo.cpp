#include "ProcMemInfo.h"

#include <cstdio>

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
    if (name == "Active(file)")
        return &info.activeFile;
    if (name == "Inactive(file)")
        return &info.inactiveFile;
    if (name == "SwapFree")
        return &info.swapFree;
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
        result.error = QStringLiteral("/proc/meminfo has no %1 field").arg(QLatin1String(missing));
        return result;
    }
    if (pageSize == 0 || pageSize % 1024 != 0) {
        result.error = QStringLiteral("unusable page size %1").arg(pageSize);
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

VmStatRendering renderVmStat(const MemInfo &info, const VmCounters &counters, quint64 pageSize)
{
    VmStatRendering rendering;
    const MemoryPartitionResult partition = partitionMemory(info, pageSize);
    if (!partition.error.isEmpty()) {
        rendering.error = partition.error;
        return rendering;
    }
    const MemoryPartition &p = partition.partition;
    const quint64 kbPerPage = pageSize / 1024;
    char buffer[512];
    const int length = std::snprintf(buffer, sizeof buffer,
            "Mach Virtual Memory Statistics: (page size of %llu bytes)\n"
            "Pages free:                   %12llu.\n"
            "Pages active:                 %12llu.\n"
            "Pages inactive:               %12llu.\n"
            "Pages speculative:            %12llu.\n"
            "Pages wired down:             %12llu.\n"
            "Pageins:                      %12llu.\n"
            "Pageouts:                     %12llu.\n",
            static_cast<unsigned long long>(pageSize),
            static_cast<unsigned long long>(p.freePages),
            static_cast<unsigned long long>(p.activePages),
            static_cast<unsigned long long>(p.inactivePages), 0ULL,
            static_cast<unsigned long long>(p.wiredPages),
            static_cast<unsigned long long>(counters.pageInKb / kbPerPage),
            static_cast<unsigned long long>(counters.pageOutKb / kbPerPage));
    rendering.text = QByteArray(buffer, qMin<int>(length, int(sizeof buffer) - 1));
    return rendering;
}

} // namespace Kalvoren
