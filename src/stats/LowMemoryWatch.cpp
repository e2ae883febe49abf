#include "LowMemoryWatch.h"

namespace Kalvoren {

bool LowMemoryWatch::isLow(const MemorySample &sample)
{
    const bool availableLow =
            sample.availableBytes && sample.totalBytes > 0
            && *sample.availableBytes < sample.totalBytes / 10;
    const bool stalled = sample.pressure && sample.pressure->full
            && sample.pressure->full->avg10 > 10.0;
    return availableLow || stalled;
}

bool LowMemoryWatch::sampleTaken(const MemorySample &sample, qint64 nowMs)
{
    m_lowInARow = isLow(sample) ? m_lowInARow + 1 : 0;
    if (m_lowInARow < samplesInARow)
        return false;
    if (m_lastWarningMs >= 0 && nowMs - m_lastWarningMs < quietMs)
        return false;
    m_lastWarningMs = nowMs;
    return true;
}

} // namespace Kalvoren
