#include "VmStatText.h"

#include "Kesh.h"

#include <cmath>
#include <cstdio>

namespace Kalvoren {
namespace {

// A count as printed; absurd counts beyond 64 bits saturate rather than wrap.
quint64 count(const QString &digits)
{
    bool ok = false;
    const quint64 value = digits.toULongLong(&ok);
    return ok ? value : ~quint64(0);
}

quint64 bytesOf(quint64 pages, quint64 pageSize)
{
    if (pageSize != 0 && pages > ~quint64(0) / pageSize)
        return ~quint64(0);
    return pages * pageSize;
}

} // namespace

VmStatPattern patternForFrameworkVersion(double version)
{
    return std::floor(version) >= frameworkVersion1038 ? VmStatPattern::EightGroups
                                                       : VmStatPattern::SevenGroups;
}

VmStatPattern patternForText(QStringView text)
{
    return text.contains(QLatin1String("Pages speculative:")) ? VmStatPattern::EightGroups
                                                              : VmStatPattern::SevenGroups;
}

QString patternText(VmStatPattern pattern)
{
    return QString::fromLatin1(pattern == VmStatPattern::EightGroups ? eightGroupPattern
                                                                     : sevenGroupPattern);
}

std::optional<MemorySample> sampleFromVmStat(const QString &text, VmStatPattern pattern)
{
    static const QString eight = patternText(VmStatPattern::EightGroups);
    static const QString seven = patternText(VmStatPattern::SevenGroups);
    const bool eightGroups = pattern == VmStatPattern::EightGroups;
    const QStringList values = Kesh::quickMatches(text, eightGroups ? eight : seven);
    const int wiredIndex = eightGroups ? 5 : 4;
    if (values.size() < wiredIndex + 3)
        return std::nullopt;

    MemorySample s;
    s.pageSize = count(values.at(0));
    s.freeBytes = bytesOf(count(values.at(1)), s.pageSize);
    s.activeBytes = bytesOf(count(values.at(2)), s.pageSize);
    s.inactiveBytes = bytesOf(count(values.at(3)), s.pageSize);
    if (eightGroups)
        s.speculativeBytes = bytesOf(count(values.at(4)), s.pageSize);
    s.wiredBytes = bytesOf(count(values.at(wiredIndex)), s.pageSize);
    s.pageIns = count(values.at(wiredIndex + 1));
    s.pageOuts = count(values.at(wiredIndex + 2));
    quint64 total = 0;
    for (const quint64 part : { s.freeBytes, s.speculativeBytes.value_or(0), s.activeBytes,
                                s.inactiveBytes, s.wiredBytes })
        total = part > ~quint64(0) - total ? ~quint64(0) : total + part;
    s.totalBytes = total;
    return s;
}

QString normalizeVmStatText(QString text)
{
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    text.replace(QChar(0x00A0), QLatin1Char(' '));
    return text;
}

QByteArray renderVmStat(const MemorySample &sample)
{
    const quint64 pageSize = sample.pageSize ? sample.pageSize : 1;
    const auto pages = [pageSize](quint64 bytes) {
        return static_cast<unsigned long long>(bytes / pageSize);
    };
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
            static_cast<unsigned long long>(sample.pageSize), pages(sample.freeBytes),
            pages(sample.activeBytes), pages(sample.inactiveBytes),
            pages(sample.speculativeBytes.value_or(0)), pages(sample.wiredBytes),
            static_cast<unsigned long long>(sample.pageIns),
            static_cast<unsigned long long>(sample.pageOuts));
    return QByteArray(buffer, qMin<int>(length, int(sizeof buffer) - 1));
}

} // namespace Kalvoren
