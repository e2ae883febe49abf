// Feeds arbitrary text to the vm_stat sampler path: the text clean-up of `kalvoren stats --from`
// and the figures computed with both patterns, down to the display texts.
#include "cli/StatsCommand.h"
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
        const std::optional<MemoryFigures> figures = figuresFromVmStat(normalized, pattern);
        if (!figures)
            continue;
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
