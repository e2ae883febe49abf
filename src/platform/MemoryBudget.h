#pragma once

#include "platform/MemoryRoom.h"

namespace Kalvoren {

// Kept free after a run: an eighth of the limit that binds (the machine's memory or the
// cgroup's limit), no less than 32 MiB and no more than 1 GiB. Scaling with the limit lets
// a run in a small cgroup still do real work.
quint64 reserveFor(quint64 limitBytes);

// What may still be taken given room: what is available less the reserve, 0 once the
// reserve is reached. The optimizer and the allocation benchmark both keep to it.
quint64 budgetFrom(const MemoryRoom &room);

} // namespace Kalvoren
