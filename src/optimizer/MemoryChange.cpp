#include "MemoryChange.h"

#include "stats/MemoryFigures.h"

namespace Kalvoren {
namespace {

// megabytesText formats floats the way the main window does. Here the figures go into a
// notice whose text wraps, so the number and its unit are joined by a no-break space: a line
// never ends in "-55.25" with "MB" on the next.
QString megabytes(double bytes)
{
    return megabytesText(float(bytes)).replace(QLatin1Char(' '), QChar(0x00A0));
}

QString signedMegabytes(double bytes)
{
    // The sign is ours, and a change that rounds to 0.00 shows no sign at all.
    const QString magnitude = megabytes(bytes < 0 ? -bytes : bytes);
    if (magnitude == megabytes(0))
        return magnitude;
    return (bytes < 0 ? QStringLiteral("-") : QStringLiteral("+")) + magnitude;
}

QString changeLine(const QString &label, std::optional<double> before, double after)
{
    if (!before)
        return QStringLiteral("%1: %2").arg(label, megabytes(after));
    return QStringLiteral("%1: %2 \u2192 %3 (%4)")
            .arg(label, megabytes(*before), megabytes(after), signedMegabytes(after - *before));
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
    return changeLine(QStringLiteral("Free memory"), freeBefore, after.freeBytes)
            + QLatin1Char('\n')
            + changeLine(QStringLiteral("Available memory"), availableBefore,
                         after.availableBytes);
}

} // namespace Kalvoren
