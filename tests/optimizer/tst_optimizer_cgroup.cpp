// A real run of `kalvoren optimize` inside a memory cgroup of its own with a small limit:
// the run must keep to the cgroup's room and never be OOM-killed. The child process is
// moved into the cgroup before it runs, so this test process is not limited.
#include "platform/linux/CgroupMemory.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QScopeGuard>
#include <QTest>
#include <QThread>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>

using namespace Kalvoren;

namespace {

constexpr quint64 mib = 1024 * 1024;

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeText(const QString &path, const QByteArray &text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size() && file.flush();
}

quint64 oomControlField(const QString &directory, const QByteArray &name)
{
    for (const QByteArray &line : readAll(directory + QLatin1String("/memory.oom_control"))
                                          .split('\n')) {
        const QList<QByteArray> parts = line.split(' ');
        if (parts.size() == 2 && parts[0] == name)
            return parts[1].toULongLong();
    }
    return ~quint64(0);
}

} // namespace

class TestOptimizerCgroup : public QObject
{
    Q_OBJECT

private slots:
    void runInASmallCgroupIsNeverKilled();
};

void TestOptimizerCgroup::runInASmallCgroupIsNeverKilled()
{
    const CgroupPlacement placement = parseProcCgroup(readAll(QStringLiteral("/proc/self/cgroup")));
    const CgroupMounts mounts = parseMountInfo(readAll(QStringLiteral("/proc/self/mountinfo")));
    if (!placement.v1MemoryPath || !mounts.v1Memory)
        QSKIP("no cgroup v1 memory controller is mounted here");
    const QStringList own = cgroupDirectories(*mounts.v1Memory, *placement.v1MemoryPath);
    if (own.isEmpty())
        QSKIP("this process's memory cgroup is outside the mounted hierarchy");
    const QString child = own.first() + QStringLiteral("/kalvoren-test-%1").arg(getpid());
    if (!QDir().mkdir(child))
        QSKIP(qPrintable(QStringLiteral("cannot make a child memory cgroup in %1 (not root?)")
                                 .arg(own.first())));
    auto removeChild = qScopeGuard([&] {
        for (int i = 0; i < 50 && !QDir().rmdir(child); ++i)
            QThread::msleep(100);
    });
    const quint64 limit = 1024 * mib;
    if (!writeText(child + QLatin1String("/memory.limit_in_bytes"), QByteArray::number(limit)))
        QSKIP("cannot set memory.limit_in_bytes on the child cgroup");

    QProcess process;
    const std::string procs = (child + QLatin1String("/cgroup.procs")).toStdString();
    process.setChildProcessModifier([procs] {
        // In the child, before exec: join the cgroup or do not run at all.
        const int fd = ::open(procs.c_str(), O_WRONLY | O_CLOEXEC);
        char pid[32];
        const int length = std::snprintf(pid, sizeof pid, "%d\n", int(::getpid()));
        if (fd < 0 || ::write(fd, pid, size_t(length)) != length)
            ::_exit(77);
        ::close(fd);
    });
    process.start(QStringLiteral(KALVOREN_EXE),
                  { QStringLiteral("optimize"), QStringLiteral("--json"),
                    QStringLiteral("--no-purge") });
    QVERIFY2(process.waitForFinished(180000), "the run did not finish in three minutes");
    const QByteArray errors = process.readAllStandardError();
    QVERIFY2(process.exitCode() != 77, "the child could not join the cgroup");
    QVERIFY2(process.exitStatus() == QProcess::NormalExit, errors.constData());
    QCOMPARE(process.exitCode(), 0);

    const QJsonObject result = QJsonDocument::fromJson(process.readAllStandardOutput()).object();
    QCOMPARE(result.value(QLatin1String("bound_by")).toString(), child);
    const double touched = result.value(QLatin1String("touched_bytes")).toDouble();
    // The reserve scales with the limit: a 1 GiB cgroup still gets real work done ...
    QVERIFY2(touched >= 400.0 * mib, qPrintable(QString::number(touched)));
    // ... and never reaches the limit.
    QVERIFY(touched < double(limit));
    QCOMPARE(result.value(QLatin1String("blocks_taken")).toInt(),
             result.value(QLatin1String("blocks")).toInt());

    QCOMPARE(oomControlField(child, "under_oom"), quint64(0));
    QCOMPARE(oomControlField(child, "oom_kill"), quint64(0));
    const quint64 peak = readAll(child + QLatin1String("/memory.max_usage_in_bytes"))
                                 .trimmed().toULongLong();
    QVERIFY2(peak < limit, qPrintable(QString::number(peak)));
}

QTEST_GUILESS_MAIN(TestOptimizerCgroup)
#include "tst_optimizer_cgroup.moc"
