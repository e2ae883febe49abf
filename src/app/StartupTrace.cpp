#include "StartupTrace.h"

#include "stats/MemorySampler.h"

#include <QElapsedTimer>
#include <QFile>

#include <time.h>
#include <unistd.h>

#include <cstdio>

namespace Kalvoren {
namespace {

QElapsedTimer &mainTimer()
{
    static QElapsedTimer timer;
    return timer;
}

qint64 processAgeMs()
{
    QFile file(QStringLiteral("/proc/self/stat"));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const std::optional<quint64> start = startTimeTicks(file.readAll());
    timespec now {};
    if (!start || clock_gettime(CLOCK_BOOTTIME, &now) != 0)
        return -1;
    return millisecondsSince(*start, sysconf(_SC_CLK_TCK), qint64(now.tv_sec) * 1000000000
                                     + now.tv_nsec);
}

} // namespace

void markMainStarted()
{
    mainTimer().start();
}

void traceFirstFigures(MemorySampler *sampler)
{
    if (qEnvironmentVariable("KALVOREN_TRACE_STARTUP") != QLatin1String("1"))
        return;
    QObject::connect(
            sampler, &MemorySampler::sampled, sampler,
            [] {
                const qint64 sinceMain = mainTimer().isValid() ? mainTimer().elapsed() : -1;
                std::fprintf(stderr, "first figures after %lld ms (%lld ms after main)\n",
                             static_cast<long long>(processAgeMs()),
                             static_cast<long long>(sinceMain));
                std::fflush(stderr);
            },
            Qt::SingleShotConnection);
}

std::optional<quint64> startTimeTicks(QByteArrayView procStat)
{
    // "pid (comm) state ppid ..." : the state is field 3, the start time field 22.
    const qsizetype close = procStat.lastIndexOf(')');
    if (close < 0)
        return std::nullopt;
    QByteArrayView rest = procStat.sliced(close + 1);
    constexpr int fieldsAfterName = 22 - 2;
    int field = 0;
    while (!rest.isEmpty()) {
        while (!rest.isEmpty() && rest.front() == ' ')
            rest = rest.sliced(1);
        qsizetype end = rest.indexOf(' ');
        if (end < 0)
            end = rest.size();
        const QByteArrayView token = rest.first(end).trimmed();
        rest = rest.sliced(end);
        if (token.isEmpty())
            continue;
        if (++field == fieldsAfterName) {
            bool ok = false;
            const quint64 value = token.toULongLong(&ok);
            return ok ? std::optional<quint64>(value) : std::nullopt;
        }
    }
    return std::nullopt;
}

qint64 millisecondsSince(quint64 startTicks, long ticksPerSecond, qint64 nowBootNs)
{
    if (ticksPerSecond <= 0 || nowBootNs < 0)
        return -1;
    const long double startNs = (long double)startTicks * 1e9L / ticksPerSecond;
    if (startNs > (long double)nowBootNs)
        return 0;
    return qint64(((long double)nowBootNs - startNs) / 1e6L);
}

} // namespace Kalvoren
