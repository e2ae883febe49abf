#pragma once

#include "platform/MemorySample.h"
#include "stats/MemoryFigures.h"

#include <QtGlobal>

#include <vector>

namespace Kalvoren {

// One sample as the history chart draws it, in bytes (pressure in percent).
struct HistoryPoint
{
    qint64 timeMs = 0; // since the epoch
    float free = 0;
    float inactive = 0;
    float active = 0;
    float wired = 0;
    float swapUsed = -1;  // -1 where the sample does not say
    float swapTotal = -1;
    float pressure = -1;  // "some" average over 10 s, -1 where the kernel does not say
};

// The recent samples for the history chart: the last half hour at the two-second rhythm,
// kept whatever the memory log's row limit, oldest first. A fixed ring: appending never
// allocates once it is full.
class MemoryHistory
{
public:
    static constexpr int capacity = 900;

    void append(const MemorySample &sample, const MemoryFigures &figures, qint64 timeMs);
    void clear();

    int size() const { return m_size; }
    bool isEmpty() const { return m_size == 0; }
    // Point i, 0 the oldest kept.
    const HistoryPoint &at(int i) const { return m_points[size_t((m_first + i) % capacity)]; }
    const HistoryPoint &last() const { return at(m_size - 1); }

private:
    std::vector<HistoryPoint> m_points = std::vector<HistoryPoint>(capacity);
    int m_first = 0;
    int m_size = 0;
};

} // namespace Kalvoren
