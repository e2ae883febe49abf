#include "MemoryChange.h"

#include "stats/MemoryFigures.h"

#include <QCoreApplication>

namespace Kalvoren {
namespace {

struct MemoryChange
{
    Q_DECLARE_TR_FUNCTIONS(Kalvoren::MemoryChange)
};

QString signedMegabytes(double bytes)
{
    // megabytesText formats floats the way the main window does; the sign is ours, and a
    // change that rounds to 0.00 shows no sign at all.
    const QString magnitude = megabytesText(float(bytes < 0 ? -bytes : bytes));
    if (magnitude == megabytesText(0))
        return magnitude;
    return (bytes < 0 ? QStringLiteral("-") : QStringLiteral("+")) + magnitude;
}

QString changeLine(const QString &label, std::optional<double> before, double after)
{
    if (!before)
        return QStringLiteral("%1: %2").arg(label, megabytesText(float(after)));
    return QStringLiteral("%1: %2 \u2192 %3 (%4)")
            .arg(label, megabytesText(float(*before)), megabytesText(float(after)),
                 signedMegabytes(after - *before));
}

} // namespace

QString memoryChangeText(const std::optional<MemorySnapshot> &before, const MemorySnapshot &after)
{
    std::optional<double> freeBefore;
    std::optional<double> availableBefore;
    if (before) {
        freeBefore = before->freeBytes;
        availableBefore = before->availableBytes;
    }
    return changeLine(MemoryChange::tr("Free memory"), freeBefore, after.freeBytes)
            + QLatin1Char('\n')
            + changeLine(MemoryChange::tr("Available memory"), availableBefore,
                         after.availableBytes);
}

} // namespace Kalvoren
