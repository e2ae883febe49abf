// Feeds arbitrary text to the process monitor's reader of top's logging output, and arbitrary
// sizes to the resident-size texts it shows and sorts by.
#include "platform/commands/TopText.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

using namespace Kalvoren;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView text(reinterpret_cast<const char *>(data), qsizetype(size));
    const QList<TopLine> lines = parseTopText(text);
    // One row per line after the header, never more.
    if (lines.size() > qMax<qsizetype>(0, text.count('\n') + 1 - topHeaderLines))
        std::abort();
    for (const TopLine &line : lines)
        (void)residentSizeBytes(line.rsize);
    if (processRowsFromTopText(text).size() != lines.size())
        std::abort();

    if (size >= sizeof(quint64)) {
        quint64 bytes = 0;
        std::memcpy(&bytes, data, sizeof bytes);
        // Every size top could print reads back as a size.
        if (residentSizeBytes(residentSizeText(bytes)) < 0 && bytes <= (quint64(1) << 62))
            std::abort();
    }
    return 0;
}
