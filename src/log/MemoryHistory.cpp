#include "MemoryHistory.h"

namespace Kalvoren {

void MemoryHistory::append(const MemorySample &sample, const MemoryFigures &figures,
                           qint64 timeMs)
{
    HistoryPoint point;
    point.timeMs = timeMs;
    point.free = figures.Free;
    point.inactive = figures.Inactive;
    point.active = figures.Active;
    point.wired = figures.Wired;
    if (const std::optional<quint64> used = sample.swapUsedBytes()) {
        point.swapUsed = float(*used);
        point.swapTotal = float(*sample.swapTotalBytes);
    }
    if (sample.pressure)
        point.pressure = float(sample.pressure->some.avg10);
    if (m_size < capacity) {
        m_points[size_t((m_first + m_size) % capacity)] = point;
        ++m_size;
    } else {
        m_points[size_t(m_first)] = point;
        m_first = (m_first + 1) % capacity;
    }
}

void MemoryHistory::clear()
{
    m_first = 0;
    m_size = 0;
}

} // namespace Kalvoren
