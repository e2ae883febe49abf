#include "ApplicationLock.h"

namespace Kalvoren {

QRecursiveMutex &applicationLock()
{
    static QRecursiveMutex lock;
    return lock;
}

} // namespace Kalvoren
