#include "MemoryFigures.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace Kalvoren {
namespace {

float pagesOf(quint64 bytes, quint64 pageSize)
{
    return pageSize == 0 ? 0.0f : float(bytes / pageSize);
}

// to_chars writes fixed notation exactly as printf("%.*f") does in the C locale, and rounds
// the same way: to nearest, an exact tie to even. Infinity and NaN come out as "inf"/"nan".
qsizetype writeFixed(char *buffer, qsizetype size, double value, int decimals)
{
    const auto [end, error] =
            std::to_chars(buffer, buffer + size, value, std::chars_format::fixed, decimals);
    return error == std::errc() ? end - buffer : 0;
}

} // namespace

MemoryFigures figuresFromSample(const MemorySample &sample)
{
    MemoryFigures f;
    const float pageSize = float(sample.pageSize);
    f.Free = pagesOf(sample.freeBytes, sample.pageSize);
    f.Active = pagesOf(sample.activeBytes, sample.pageSize);
    f.Inactive = pagesOf(sample.inactiveBytes, sample.pageSize);
    f.Wired = pagesOf(sample.wiredBytes, sample.pageSize);
    if (sample.speculativeBytes)
        f.Free += pagesOf(*sample.speculativeBytes, sample.pageSize);
    f.Free *= pageSize;
    f.Active *= pageSize;
    f.Inactive *= pageSize;
    f.Wired *= pageSize;
    f.Ins = float(sample.pageIns);
    f.Outs = float(sample.pageOuts);
    f.TotalUnused = totalUnusedFrom(f.Free + f.Inactive);
    float sum = f.Free + f.Active;
    sum += f.Inactive;
    sum += f.Wired;
    f.totalRam = sum * 0x1p-20f * 0x1p-10f;
    return f;
}

std::optional<MemoryFigures> figuresFromVmStat(const QString &text, VmStatPattern pattern)
{
    const std::optional<MemorySample> sample = sampleFromVmStat(text, pattern);
    if (!sample)
        return std::nullopt;
    return figuresFromSample(*sample);
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

QString fixedText(double value, int decimals)
{
    // The largest float needs 39 digits before the point; a double up to 309.
    char buffer[400];
    return QString::fromLatin1(buffer, writeFixed(buffer, sizeof buffer, value, decimals));
}

QString megabytesText(float bytes)
{
    return fixedText(double(bytes * 0x1p-20f), 2) + QLatin1String(" MB");
}

QString gigabytesText(float gibibytes)
{
    return fixedText(double(gibibytes), 2) + QLatin1String(" GB");
}

float shownMegabytes(float bytes)
{
    const float megabytes = bytes * 0x1p-20f;
    // "inf MB" and "nan MB" hold no leading number: they read as 0, as a typed-in text would.
    if (!std::isfinite(megabytes))
        return 0.0f;
    char buffer[64];
    const qsizetype length = writeFixed(buffer, sizeof buffer, double(megabytes), 2);
    float value = 0;
    std::from_chars(buffer, buffer + length, value);
    return value;
}

MemoryTexts textsFor(const MemoryFigures &figures)
{
    return { megabytesText(figures.Free), megabytesText(figures.Inactive),
             megabytesText(figures.Wired), megabytesText(figures.Active),
             gigabytesText(figures.totalRam) };
}

} // namespace Kalvoren
