#include "BenchmarkPlan.h"

#include "platform/MemoryBudget.h"
#include "stats/TextValue.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>
#include <limits>

namespace Kalvoren {
namespace {

struct BenchmarkText
{
    Q_DECLARE_TR_FUNCTIONS(Benchmark)
};

constexpr quint64 mebibyte = quint64(1) << 20;

// Seconds as printf's "%f" writes them in the C locale: six decimals after a point, in every
// language.
QString secondsText(double seconds)
{
    return QString::asprintf("%f", seconds);
}

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
    return BenchmarkText::tr("Oh, there is a problem");
}

QString benchmarkRefusalText(std::optional<quint32> limitMb)
{
    const quint32 largest = limitMb ? qMin(*limitMb, benchmarkMaxTotalMb) : benchmarkMaxTotalMb;
    return BenchmarkText::tr("I cannot proceed with those input values!, try pressing the "
                             "'Suggest' button.\nThe largest total allowed now is %1 MB.")
            .arg(largest);
}

QString benchmarkAllocationRefusedText(quint64 size)
{
    return BenchmarkText::tr("System refused to allocate %1 MB").arg(size / mebibyte);
}

QString benchmarkExceptionText(const QString &name, const QString &reason)
{
    return BenchmarkText::tr("Exception %1, Reason %2, ").arg(name, reason);
}

QString benchmarkTaskText(quint64 size)
{
    return BenchmarkText::tr("Allocate, Use then Free %1 kB").arg(int(size / 1024));
}

QString benchmarkLeftText(qint32 left)
{
    return QString::asprintf("%d", left);
}

QString benchmarkLastTestText(double seconds)
{
    return BenchmarkText::tr("Last test was completed in %1 seconds").arg(secondsText(seconds));
}

QString benchmarkThisTestText(double seconds)
{
    return BenchmarkText::tr("This test was completed in %1 seconds").arg(secondsText(seconds));
}

QString benchmarkCompletedLine(double seconds)
{
    return QString::asprintf("This test was completed in %f seconds", seconds);
}

QString benchmarkCancelledText(qint64 passes, double seconds)
{
    // The count picks the translation's plural form; %1 shows it in full.
    const int count = int(std::clamp<qint64>(passes, 0, std::numeric_limits<int>::max()));
    return BenchmarkText::tr("This test was cancelled after %1 passes, in %2 seconds", nullptr,
                             count)
            .arg(QString::number(passes), secondsText(seconds));
}

} // namespace Kalvoren
