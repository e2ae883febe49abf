// Feeds arbitrary text to the readers of /proc/pressure/memory and of a zram device's mm_stat
// and comp_algorithm: what they accept stays within the kernel's ranges.
#include "platform/linux/PressureStall.h"
#include "platform/linux/ZramDevices.h"

#include <cstdint>
#include <cstdlib>

using namespace Kalvoren;

namespace {

bool inRange(const MemoryPressure::Line &line)
{
    for (const double value : { line.avg10, line.avg60, line.avg300 }) {
        if (!(value >= 0 && value <= 100))
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView text(reinterpret_cast<const char *>(data), qsizetype(size));
    if (const std::optional<MemoryPressure> p = parsePressure(text)) {
        if (!inRange(p->some) || (p->full && !inRange(*p->full)))
            std::abort();
    }
    const ZramMmStat stat = parseZramMmStat(text);
    // All three figures or none.
    if (stat.origDataBytes.has_value() != stat.memUsedBytes.has_value())
        std::abort();
    const QString algorithm = selectedZramAlgorithm(text);
    if (algorithm.contains(QLatin1Char('[')) || algorithm.contains(QLatin1Char(']')))
        std::abort();
    return 0;
}
