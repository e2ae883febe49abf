#include "MemoryBudget.h"

#include <algorithm>

namespace Kalvoren {

quint64 reserveFor(quint64 limitBytes)
{
    constexpr quint64 mib = 1024 * 1024;
    return std::clamp(limitBytes / 8, 32 * mib, 1024 * mib);
}

quint64 budgetFrom(const MemoryRoom &room)
{
    const quint64 reserve = reserveFor(room.limitBytes);
    return room.availableBytes > reserve ? room.availableBytes - reserve : 0;
}

} // namespace Kalvoren
