#include "BenchmarkPlan.h"

#include "platform/MemoryBudget.h"
#include "stats/TextValue.h"

#include <cmath>

namespace Kalvoren {
namespace {

constexpr quint64 mebibyte = quint64(1) << 20;

} // namespace

BenchmarkInputs benchmarkInputsFromTexts(QStringView total, QStringView count)
{
    return { quint32(intValue(total)), quint32(intValue(count)) };
}

std::optional<quint32> benchmarkLimitMb(const std::optional<MemoryRoom> &room)
{
    if (!room)
        return std::nullopt;
    return quint32(qMin<quint64>(budgetFrom(*room) / mebibyte, benchmarkMaxTotalMb));
}

bool benchmarkInputsAccepted(const BenchmarkInputs &inputs, std::optional<quint32> limitMb)
{
    if (inputs.totalMb == 0 || inputs.numAlloc == 0 || inputs.totalMb > benchmarkMaxTotalMb)
        return false;
    return !limitMb || inputs.totalMb <= *limitMb;
}

quint32 suggestedTotalMb(float freeBytes, float inactiveBytes, std::optional<quint32> limitMb)
{
    // Single-precision sum, then double-precision scaling to megabytes, then rounding in
    // single precision: the window's button proposes the same figure.
    const float unused = freeBytes + inactiveBytes;
    const float megabytes = float(double(unused) * 0.8 * 9.5367431640625e-07);
    const float rounded = std::roundf(megabytes);
    const float capped = std::fmin(rounded, float(benchmarkMaxTotalMb));
    quint32 total = capped > 0 ? quint32(capped) : 0;
    if (limitMb)
        total = qMin(total, *limitMb);
    return total;
}

BenchmarkPlan planBenchmark(const BenchmarkInputs &inputs)
{
    BenchmarkPlan plan;
    plan.total = quint64(inputs.totalMb) * mebibyte;
    plan.allocLeft = qint32(inputs.numAlloc);
    // The product is taken in 64 bits: in 32 bits a count above four million wraps around
    // and gives steps of a few hundred bytes instead of 1 kB.
    if (inputs.numAlloc == 0 || plan.total <= quint64(inputs.numAlloc) * 1024)
        plan.step = 1024;
    else
        plan.step = plan.total / inputs.numAlloc;
    return plan;
}

QString benchmarkProblemTitle()
{
    return QStringLiteral("Oh, there is a problem");
}

QString benchmarkRefusalText(std::optional<quint32> limitMb)
{
    const quint32 largest = limitMb ? qMin(*limitMb, benchmarkMaxTotalMb) : benchmarkMaxTotalMb;
    return QStringLiteral("I cannot proceed with those input values!, try pressing the "
                          "'Suggest' button.\nThe largest total allowed now is %1 MB.")
            .arg(largest);
}

QString benchmarkAllocationRefusedText(quint64 size)
{
    return QString::asprintf("System refused to allocate %ld MB", long(size / mebibyte));
}

QString benchmarkExceptionText(const QString &name, const QString &reason)
{
    return QStringLiteral("Exception %1, Reason %2, ").arg(name, reason);
}

QString benchmarkTaskText(quint64 size)
{
    return QString::asprintf("Allocate, Use then Free %d kB", int(size / 1024));
}

QString benchmarkLeftText(qint32 left)
{
    return QString::asprintf("%d", left);
}

QString benchmarkLastTestText(double seconds)
{
    return QString::asprintf("Last test was completed in %f seconds", seconds);
}

QString benchmarkThisTestText(double seconds)
{
    return QString::asprintf("This test was completed in %f seconds", seconds);
}

QString benchmarkCancelledText(qint64 passes, double seconds)
{
    return QString::asprintf("This test was cancelled after %lld passes, in %f seconds",
                             static_cast<long long>(passes), seconds);
}

} // namespace Kalvoren
