#include "OptimizerPlan.h"

#include <algorithm>
#include <cmath>

namespace Kalvoren {
namespace {

quint64 truncatedBytes(float value)
{
    // Figures are byte counts; anything beyond 2^53 is no real machine, and the cap keeps the
    // conversion defined.
    if (!(value > 0))
        return 0;
    return quint64(std::min(std::trunc(double(value)), 9007199254740992.0));
}

} // namespace

quint64 optimizerSum(float free, float inactive)
{
    return truncatedBytes(free) + truncatedBytes(inactive);
}

OptimizerPlan planOptimization(quint64 sum, double frameworkVersion)
{
    const double version = std::floor(frameworkVersion);
    OptimizerPlan plan;
    plan.progressMaximum = double(sum);
    plan.count = 10;
    plan.size = sum / 20;
    if (version >= 949) {
        plan.progressMaximum = 2.0 * double(sum);
        plan.count = 20;
    }
    if (version >= 1038)
        plan.size = quint64(double(sum) * 1.3 / 20.0);
    return plan;
}

quint64 touchedBytesFor(quint64 size)
{
    return (size + touchStride - 1) / touchStride * touchStride;
}

} // namespace Kalvoren
