#pragma once

#include "platform/MemoryRoom.h"

namespace Kalvoren {

// The setting "purgeWithPkexec" (false when absent): whether a run that is not root asks
// polkit for the purge helper. Shared by the desktop program and the command line.
PurgeElevation purgeElevationSetting();
void setPurgeElevationSetting(PurgeElevation elevation);

} // namespace Kalvoren
