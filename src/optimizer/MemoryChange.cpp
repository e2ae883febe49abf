#include "MemoryChange.h"

#include "stats/MemoryFigures.h"

#include <QCoreApplication>
#include <QStringList>

namespace Kalvoren {
namespace {

struct MemoryChange
{
    Q_DECLARE_TR_FUNCTIONS(Kalvoren::MemoryChange)
};

// megabytesText formats floats the way the main window does. Here the figures go into a
// notice whose text wraps, so the number and its unit are joined by a no-break space: a line
// never ends in "-55.25" with "MB" on the next.
QString megabytes(double bytes)
{
    return megabytesText(float(bytes)).replace(QLatin1Char(' '), QChar(0x00A0));
}

QString changeLine(const QString &label, std::optional<double> before, double after)
{
    if (!before)
        return QStringLiteral("%1: %2").arg(label, megabytes(after));
    return QStringLiteral("%1: %2 \u2192 %3 (%4)")
            .arg(label, megabytes(*before), megabytes(after),
                 signedMegabytesText(after - *before).replace(QLatin1Char(' '), QChar(0x00A0)));
}

} // namespace

QString signedMegabytesText(double bytes)
{
    // The sign is ours, and a change that rounds to 0.00 shows no sign at all.
    const QString magnitude = megabytesText(float(bytes < 0 ? -bytes : bytes));
    if (magnitude == megabytesText(0))
        return magnitude;
    return (bytes < 0 ? QStringLiteral("-") : QStringLiteral("+")) + magnitude;
}

QString memoryChangeText(const std::optional<MemorySnapshot> &before, const MemorySnapshot &after)
{
    std::optional<double> freeBefore;
    std::optional<double> availableBefore;
    if (before) {
        freeBefore = before->freeBytes;
        availableBefore = before->availableBytes;
    }
    QString text = changeLine(MemoryChange::tr("Free memory"), freeBefore, after.freeBytes)
            + QLatin1Char('\n')
            + changeLine(MemoryChange::tr("Available memory"), availableBefore,
                         after.availableBytes);
    if (before && before->pageCacheBytes && after.pageCacheBytes) {
        text += QLatin1Char('\n')
                + changeLine(MemoryChange::tr("Page cache"), before->pageCacheBytes,
                             *after.pageCacheBytes);
    }
    return text;
}

QString purgeReportLine(const PurgeResult &purge)
{
    switch (purge.outcome) {
    case PurgeOutcome::Done:
        return MemoryChange::tr("The page cache was dropped first.");
    case PurgeOutcome::Failed:
        return MemoryChange::tr("The page cache could not be dropped first: %1")
                .arg(purge.message);
    case PurgeOutcome::Skipped:
        break;
    }
    // Skipped with a reason from the platform (which says how to turn it on), or not asked for.
    return purge.message.isEmpty() ? MemoryChange::tr("The page cache was not dropped first.")
                                   : purge.message;
}

QString runReportText(const OptimizerResult &result)
{
    QStringList lines;
    if (result.blocksTaken == 0 && result.blocksFailed == 0 && !result.cancelled) {
        if (result.budget == 0 && result.roomBefore) {
            lines << MemoryChange::tr("No memory was taken: only %1 is available, within the "
                                      "%2 kept free.")
                             .arg(megabytesText(float(result.roomBefore->availableBytes)),
                                  megabytesText(float(reserveFor(result.roomBefore->limitBytes))));
        } else if (result.bound == PlanBound::Reclaimable) {
            lines << MemoryChange::tr("No memory was taken: the kernel has no page cache left "
                                      "to give back for it.");
        } else {
            lines << MemoryChange::tr("No memory was taken: the figures left nothing to take.");
        }
    }
    if (result.stoppedNotPaying)
        lines << MemoryChange::tr("Stopped early: the kernel no longer gave back page cache.");
    else if (result.stoppedAtReserve)
        lines << MemoryChange::tr("Stopped early to keep a reserve free.");
    if (result.blocksFailed == 1)
        lines << MemoryChange::tr("1 allocation failed.");
    else if (result.blocksFailed > 1)
        lines << MemoryChange::tr("%1 allocations failed.").arg(result.blocksFailed);
    lines << MemoryChange::tr("Took %1 s.").arg(result.seconds, 0, 'f', 1);
    lines << purgeReportLine(result.purge);
    return lines.join(QLatin1Char('\n'));
}

} // namespace Kalvoren
