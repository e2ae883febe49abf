#pragma once

#include <QRecursiveMutex>

namespace Kalvoren {

// The one application-wide lock: held around changes of the application icon (the icon
// refresh and its restore at quit), so the two never interleave.
QRecursiveMutex &applicationLock();

} // namespace Kalvoren
