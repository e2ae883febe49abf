#pragma once

#include "platform/MemorySample.h"
#include "platform/commands/VmStatText.h"

#include <QString>

#include <optional>

namespace Kalvoren {

// The figures the window, the tray icon, the log and `kalvoren stats` show, computed from a
// sample by figuresFromSample() alone. 32-bit floats on purpose: the pie, the texts and the
// log are computed at this precision, in this order of arithmetic, so the digits shown match
// the ones users compare with vm_stat.
struct MemoryFigures
{
    float Free = 0;
    float Inactive = 0;
    float Active = 0;
    float Wired = 0;
    float Ins = 0;  // page-ins, a running count of pages
    float Outs = 0; // page-outs, a running count of pages
    qint32 TotalUnused = 0;
    float totalRam = 0; // GiB

    friend bool operator==(const MemoryFigures &, const MemoryFigures &) = default;
};

// Free, Active, Inactive and Wired are the page counts as floats, times the page size; Free
// also counts the speculative pages where the sample has them. TotalUnused is Free + Inactive
// and totalRam the four summed, then scaled by 2^-20 and 2^-10.
MemoryFigures figuresFromSample(const MemorySample &sample);

// sampleFromVmStat() and then figuresFromSample(); empty when the text does not match.
std::optional<MemoryFigures> figuresFromVmStat(const QString &text, VmStatPattern pattern);

// Free + Inactive truncated toward zero. Sums of 2 GiB and more do not fit a 32-bit integer;
// they are clamped to its largest value instead of wrapping into a negative count.
qint32 totalUnusedFrom(float unusedBytes);

// "%.2f MB" of bytes x 2^-20 and "%.2f GB" of GiB, with a point whatever the locale and
// rounded as C's printf rounds (an exact tie to even: 0.125 MB shows as "0.12 MB").
QString megabytesText(float bytes);
QString gigabytesText(float gibibytes);
// The number a "%.2f MB" text shows, as a float: what the log compares sample to sample.
float shownMegabytes(float bytes);
// "%.2f" and "%f" (two and six decimals) of value, rounded as printf rounds.
QString fixedText(double value, int decimals);

struct MemoryTexts
{
    QString free;
    QString inactive;
    QString wired;
    QString active;
    QString total;
};
MemoryTexts textsFor(const MemoryFigures &figures);

} // namespace Kalvoren
