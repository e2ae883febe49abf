// Feeds arbitrary text to the vm_stat sampler path: the text clean-up of `kalvoren stats --from`
// and the figures computed with both patterns, down to the display texts.
#include "stats/MemoryFigures.h"

#include <QString>

#include <cstdint>
#include <cstdlib>

using namespace Kalvoren;

namespace {

void check(const QString &text)
{
    const QString normalized = normalizeVmStatText(text);
    // No no-break space survives the clean-up: the patterns' "[ ]+" would stop at one.
    if (normalized.contains(QChar(0x00A0)))
        std::abort();
    for (const VmStatPattern pattern : { VmStatPattern::EightGroups, VmStatPattern::SevenGroups }) {
        const std::optional<MemorySample> sample = sampleFromVmStat(normalized, pattern);
        if (!sample)
            continue;
        const std::optional<MemoryFigures> figures = figuresFromSample(*sample);
        // What is read writes back in the vm_stat layout and reads back to the same counts
        // (the layout prints a speculative line, so only the eight-group pattern is sure to
        // match it).
        // Counts past 64 bits of bytes saturate, and those do not come back exactly.
        const bool saturated = sample->totalBytes == ~quint64(0);
        const std::optional<MemorySample> again = sampleFromVmStat(
                QString::fromLatin1(renderVmStat(*sample)), VmStatPattern::EightGroups);
        if (!again || (!saturated
                       && (again->freeBytes != sample->freeBytes
                           || again->wiredBytes != sample->wiredBytes
                           || again->pageIns != sample->pageIns)))
            std::abort();
        const MemoryTexts texts = textsFor(*figures);
        if (!texts.free.endsWith(QLatin1String(" MB"))
            || !texts.total.endsWith(QLatin1String(" GB")))
            std::abort();
        // The count of unused bytes is clamped, never wrapped: it keeps the sign of the sum.
        const float unused = figures->Free + figures->Inactive;
        if (unused >= 1.0f && figures->TotalUnused <= 0)
            std::abort();
    }
    (void)patternForText(normalized);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const char *bytes = reinterpret_cast<const char *>(data);
    // The live platform hands over Latin-1, a saved file is read as UTF-8.
    check(QString::fromUtf8(bytes, qsizetype(size)));
    check(QString::fromLatin1(bytes, qsizetype(size)));
    return 0;
}
