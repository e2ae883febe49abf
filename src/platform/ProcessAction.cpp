#include "ProcessAction.h"

#include "PlatformText.h"

#include <cerrno>
#include <cstring>

namespace Kalvoren {

ProcessActionResult processActionResult(ProcessActionStatus status, const QString &message)
{
    ProcessActionResult result;
    result.status = status;
    result.message = message;
    return result;
}

QString pidTextForAction(const QString &pidText)
{
    if (pidText.contains(QLatin1Char('-')))
        return pidText.left(pidText.size() - 1);
    return pidText;
}

std::optional<qint64> validatedPid(QStringView text, qint64 ownPid)
{
    // Linux caps pids at 2^22 (PID_MAX_LIMIT); eight digits is plenty and keeps the sum small.
    if (text.isEmpty() || text.size() > 8)
        return std::nullopt;
    qint64 pid = 0;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        pid = pid * 10 + (c.unicode() - u'0');
    }
    // 0 and negative pids address process groups, 1 is init: never ours to end.
    if (pid <= 1 || pid == ownPid)
        return std::nullopt;
    return pid;
}

QString shellQuoted(const QString &text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QLatin1String("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

ProcessActionResult resultFromErrno(int error, qint64 pid)
{
    switch (error) {
    case ESRCH:
        return processActionResult(ProcessActionStatus::NoSuchProcess,
                                   PlatformText::tr("Process %1 is no longer running.").arg(pid));
    case EPERM:
        return processActionResult(ProcessActionStatus::NotPermitted,
                                   PlatformText::tr("Not permitted to end process %1: it "
                                                    "belongs to another user.").arg(pid));
    default:
        return processActionResult(ProcessActionStatus::Failed,
                                   PlatformText::tr("Could not signal process %1: %2")
                                           .arg(pid).arg(QString::fromLocal8Bit(
                                                   std::strerror(error))));
    }
}

} // namespace Kalvoren

#include <QMutex>

namespace Kalvoren {
namespace {

QMutex closerMutex;
WindowCloser &closerSlot()
{
    static WindowCloser closer;
    return closer;
}

} // namespace

void setDefaultWindowCloser(WindowCloser closer)
{
    QMutexLocker locker(&closerMutex);
    closerSlot() = std::move(closer);
}

WindowCloser defaultWindowCloser()
{
    QMutexLocker locker(&closerMutex);
    return closerSlot();
}

} // namespace Kalvoren
