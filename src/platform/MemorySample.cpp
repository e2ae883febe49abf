#include "MemorySample.h"

namespace Kalvoren {

std::optional<double> ZramDevice::compressionRatio() const
{
    if (!origDataBytes || !comprDataBytes || *comprDataBytes == 0)
        return std::nullopt;
    return double(*origDataBytes) / double(*comprDataBytes);
}

std::optional<quint64> MemorySample::swapUsedBytes() const
{
    if (!swapTotalBytes || !swapFreeBytes)
        return std::nullopt;
    // Read at slightly different moments by some kernels; never below zero.
    return *swapTotalBytes > *swapFreeBytes ? *swapTotalBytes - *swapFreeBytes : 0;
}

} // namespace Kalvoren
