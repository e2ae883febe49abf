#include "MemoryFigures.h"

#include "Kesh.h"

#include <cmath>
#include <limits>

namespace Kalvoren {

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

std::optional<MemoryFigures> figuresFromValues(const QStringList &values, VmStatPattern pattern)
{
    const bool eight = pattern == VmStatPattern::EightGroups;
    const int wiredIndex = eight ? 5 : 4;
    if (values.size() < wiredIndex + 3)
        return std::nullopt;

    MemoryFigures f;
    const float pageSize = values.at(0).toFloat();
    f.Free = values.at(1).toFloat();
    f.Active = values.at(2).toFloat();
    f.Inactive = values.at(3).toFloat();
    f.Wired = values.at(wiredIndex).toFloat();
    if (eight)
        f.Free += values.at(4).toFloat();
    f.Free *= pageSize;
    f.Active *= pageSize;
    f.Inactive *= pageSize;
    f.Wired *= pageSize;
    f.Ins = values.at(wiredIndex + 1).toFloat();
    f.Outs = values.at(wiredIndex + 2).toFloat();
    f.TotalUnused = totalUnusedFrom(f.Free + f.Inactive);
    float sum = f.Free + f.Active;
    sum += f.Inactive;
    sum += f.Wired;
    f.totalRam = sum * 0x1p-20f * 0x1p-10f;
    return f;
}

std::optional<MemoryFigures> figuresFromVmStat(const QString &text, VmStatPattern pattern)
{
    return figuresFromValues(Kesh::quickMatches(text, patternText(pattern)), pattern);
}

qint32 totalUnusedFrom(float unusedBytes)
{
    constexpr float limit = 2147483648.0f; // 2^31, exactly representable
    if (std::isnan(unusedBytes))
        return 0;
    if (!(unusedBytes > -limit))
        return std::numeric_limits<qint32>::min();
    if (unusedBytes >= limit)
        return std::numeric_limits<qint32>::max();
    return static_cast<qint32>(unusedBytes);
}

QString megabytesText(float bytes)
{
    // QString::asprintf ignores the locale, so the separator is always a point.
    return QString::asprintf("%.2f MB", double(bytes * 0x1p-20f));
}

QString gigabytesText(float gibibytes)
{
    return QString::asprintf("%.2f GB", double(gibibytes));
}

MemoryTexts textsFor(const MemoryFigures &figures)
{
    return { megabytesText(figures.Free), megabytesText(figures.Inactive),
             megabytesText(figures.Wired), megabytesText(figures.Active),
             gigabytesText(figures.totalRam) };
}

} // namespace Kalvoren
