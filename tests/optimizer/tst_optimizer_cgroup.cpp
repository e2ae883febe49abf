// Real runs of `kalvoren optimize` inside a memory cgroup of their own with a small limit and
// page cache charged to it: the run must keep to the cgroup's room and never be OOM-killed,
// with or without a program growing beside it, and with zram swap on it must not push memory
// out to swap. The children are moved into the cgroup before they run, so this test process
// is not limited. Needs root and a cgroup v1 memory controller; zram for the swap check.
#include "platform/linux/CgroupMemory.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/swap.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
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

// A "name value" line of a kernel file (memory.oom_control, /proc/vmstat).
quint64 field(const QString &path, const QByteArray &name)
{
    for (const QByteArray &line : readAll(path).split('\n')) {
        const QList<QByteArray> parts = line.split(' ');
        if (parts.size() == 2 && parts[0] == name)
            return parts[1].toULongLong();
    }
    return ~quint64(0);
}

// A zram device of its own (hot-added, so a device someone else uses is never touched) made
// swap for the test's time; swapped off, reset and removed again whatever happens.
class ZramSwap
{
public:
    bool setUp(quint64 bytes)
    {
        const QByteArray index = readAll(QStringLiteral("/sys/class/zram-control/hot_add"))
                                         .trimmed();
        if (index.isEmpty())
            return false;
        m_index = index;
        m_device = QStringLiteral("/dev/zram") + QString::fromLatin1(index);
        const QString sys = QStringLiteral("/sys/block/zram") + QString::fromLatin1(index);
        if (!writeText(sys + QLatin1String("/disksize"), QByteArray::number(bytes)))
            return false;
        QProcess mkswap;
        mkswap.setStandardOutputFile(QProcess::nullDevice());
        mkswap.start(QStringLiteral("mkswap"), { m_device });
        if (!mkswap.waitForFinished() || mkswap.exitCode() != 0)
            return false;
        m_on = ::swapon(QFile::encodeName(m_device).constData(), 0) == 0;
        return m_on;
    }
    ~ZramSwap()
    {
        if (m_index.isEmpty())
            return;
        if (m_on)
            ::swapoff(QFile::encodeName(m_device).constData());
        writeText(QStringLiteral("/sys/block/zram") + QString::fromLatin1(m_index)
                          + QLatin1String("/reset"),
                  "1");
        writeText(QStringLiteral("/sys/class/zram-control/hot_remove"), m_index);
    }

private:
    QByteArray m_index;
    QString m_device;
    bool m_on = false;
};

// Forks a child that joins the cgroup whose cgroup.procs is procs and then runs body, which
// may only make system calls (this process has threads). Returns its pid, or -1.
template<typename Body>
pid_t startInCgroup(const std::string &procs, Body body)
{
    const pid_t pid = ::fork();
    if (pid != 0)
        return pid;
    const int fd = ::open(procs.c_str(), O_WRONLY | O_CLOEXEC);
    char text[32];
    const int length = std::snprintf(text, sizeof text, "%d\n", int(::getpid()));
    if (fd < 0 || ::write(fd, text, size_t(length)) != length)
        ::_exit(77);
    ::close(fd);
    body();
    ::_exit(0);
}

// Grows by 4 MiB of touched memory every 10 ms up to bytes, then waits to be ended.
void grow(quint64 bytes)
{
    const timespec pause { 0, 10 * 1000 * 1000 };
    for (quint64 held = 0; held < bytes; held += 4 * mib) {
        auto *chunk = static_cast<char *>(::mmap(nullptr, 4 * mib, PROT_READ | PROT_WRITE,
                                                 MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
        if (chunk == MAP_FAILED)
            break;
        for (quint64 offset = 0; offset < 4 * mib; offset += 4096)
            chunk[offset] = 1;
        ::nanosleep(&pause, nullptr);
    }
    for (;;)
        ::pause();
}

// Reads the file once, so that its pages are cached and charged to the reader's cgroup.
void readOnce(const char *path)
{
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    static char buffer[1 << 16];
    while (fd >= 0 && ::read(fd, buffer, sizeof buffer) > 0) {
    }
}

} // namespace

class TestOptimizerCgroup : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void runInASmallCgroupIsNeverKilled_data();
    void runInASmallCgroupIsNeverKilled();

private:
    QString m_parent; // our own memory cgroup
    QTemporaryDir m_files;
    QString m_cacheFile;
    std::unique_ptr<ZramSwap> m_swap;
    bool m_swapOn = false;
};

void TestOptimizerCgroup::initTestCase()
{
    const CgroupPlacement placement = parseProcCgroup(readAll(QStringLiteral("/proc/self/cgroup")));
    const CgroupMounts mounts = parseMountInfo(readAll(QStringLiteral("/proc/self/mountinfo")));
    if (!placement.v1MemoryPath || !mounts.v1Memory)
        QSKIP("no cgroup v1 memory controller is mounted here");
    const QStringList own = cgroupDirectories(*mounts.v1Memory, *placement.v1MemoryPath);
    if (own.isEmpty())
        QSKIP("this process's memory cgroup is outside the mounted hierarchy");
    if (::geteuid() != 0)
        QSKIP("making memory cgroups and swap needs root");
    m_parent = own.first();

    // The page cache the rows read: written once, then dropped from memory, so that a reader
    // in the child cgroup brings it in again charged there.
    m_cacheFile = m_files.filePath(QStringLiteral("cache"));
    QFile file(m_cacheFile);
    QVERIFY(file.open(QIODevice::WriteOnly));
    const QByteArray chunk(int(mib), 'k');
    for (int i = 0; i < 512; ++i)
        QVERIFY(file.write(chunk) == chunk.size());
    QVERIFY(file.flush());
    QCOMPARE(::fdatasync(file.handle()), 0);
    QCOMPARE(::posix_fadvise(file.handle(), 0, 0, POSIX_FADV_DONTNEED), 0);

    m_swap = std::make_unique<ZramSwap>();
    m_swapOn = m_swap->setUp(1024 * mib);
    if (!m_swapOn)
        qInfo("no zram swap device could be made: the swap-out bound is not checked");
}

void TestOptimizerCgroup::cleanupTestCase()
{
    m_swap.reset();
}

void TestOptimizerCgroup::runInASmallCgroupIsNeverKilled_data()
{
    QTest::addColumn<int>("limitMib");
    QTest::addColumn<int>("cacheMib");
    QTest::addColumn<int>("hogMib");
    QTest::addColumn<bool>("hogFirst"); // grown to its size before the run starts
    QTest::newRow("1 GiB with page cache") << 1024 << 512 << 0 << false;
    QTest::newRow("1 GiB, page cache and a growing program") << 1024 << 300 << 300 << false;
    QTest::newRow("512 MiB, page cache and a growing program") << 512 << 200 << 160 << false;
    QTest::newRow("470 MiB held in 512 MiB") << 512 << 0 << 470 << true;
}

void TestOptimizerCgroup::runInASmallCgroupIsNeverKilled()
{
    QFETCH(int, limitMib);
    QFETCH(int, cacheMib);
    QFETCH(int, hogMib);
    QFETCH(bool, hogFirst);
    const QString child = m_parent + QStringLiteral("/kalvoren-test-%1").arg(getpid());
    if (!QDir().mkdir(child))
        QSKIP(qPrintable(QStringLiteral("cannot make a child memory cgroup in %1").arg(m_parent)));
    pid_t hog = -1;
    auto cleanUp = qScopeGuard([&] {
        if (hog > 0) {
            ::kill(hog, SIGKILL);
            ::waitpid(hog, nullptr, 0);
        }
        for (int i = 0; i < 50 && !QDir().rmdir(child); ++i)
            QThread::msleep(100);
        const int fd = ::open(QFile::encodeName(m_cacheFile).constData(), O_RDONLY);
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
        ::close(fd);
    });
    const quint64 limit = quint64(limitMib) * mib;
    QVERIFY(writeText(child + QLatin1String("/memory.limit_in_bytes"), QByteArray::number(limit)));
    const std::string procs = (child + QLatin1String("/cgroup.procs")).toStdString();

    if (cacheMib > 0) {
        QCOMPARE(::truncate(QFile::encodeName(m_cacheFile).constData(), off_t(cacheMib * mib)),
                 0);
        const QByteArray path = QFile::encodeName(m_cacheFile);
        int status = 0;
        const pid_t reader = startInCgroup(procs, [&path] { readOnce(path.constData()); });
        QVERIFY(reader > 0 && ::waitpid(reader, &status, 0) == reader);
        QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    if (hogMib > 0) {
        const quint64 hogBytes = quint64(hogMib) * mib;
        hog = startInCgroup(procs, [hogBytes] { grow(hogBytes); });
        QVERIFY(hog > 0);
        if (hogFirst) {
            QTRY_VERIFY(readAll(child + QLatin1String("/memory.usage_in_bytes"))
                                .trimmed()
                                .toULongLong()
                        >= hogBytes);
        }
    }

    const QString stat = child + QLatin1String("/memory.stat");
    const quint64 cacheBefore = field(stat, "total_cache");
    const quint64 swappedBefore = field(QStringLiteral("/proc/vmstat"), "pswpout");
    QProcess process;
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
    const quint64 swapped = field(QStringLiteral("/proc/vmstat"), "pswpout") - swappedBefore;
    const QByteArray errors = process.readAllStandardError();
    QVERIFY2(process.exitCode() != 77, "the child could not join the cgroup");
    QVERIFY2(process.exitStatus() == QProcess::NormalExit, errors.constData());
    QCOMPARE(field(child + QLatin1String("/memory.oom_control"), "oom_kill"), quint64(0));
    const quint64 peak = readAll(child + QLatin1String("/memory.max_usage_in_bytes"))
                                 .trimmed().toULongLong();
    QVERIFY2(peak <= limit, qPrintable(QString::number(peak)));

    const QJsonObject result = QJsonDocument::fromJson(process.readAllStandardOutput()).object();
    QCOMPARE(result.value(QLatin1String("bound_by")).toString(), child);
    const double touched = result.value(QLatin1String("touched_bytes")).toDouble();
    if (hogFirst) {
        // Nothing fits beside it: no block, and the exit status says so.
        QCOMPARE(process.exitCode(), 1);
        QCOMPARE(touched, 0.0);
        return;
    }
    QVERIFY2(process.exitCode() == 0 || process.exitCode() == 1, errors.constData());
    if (hogMib > 0)
        return;
    QCOMPARE(process.exitCode(), 0);
    // Real work: the cgroup's page cache pressed out ...
    QVERIFY2(touched >= double(limit) / 2, qPrintable(QString::number(touched)));
    QVERIFY2(field(stat, "total_cache") < cacheBefore / 2, readAll(stat).constData());
    // ... and taken from there, not from programs' memory.
    qInfo("touched %.0f MiB; %llu pages swapped out", touched / mib,
          static_cast<unsigned long long>(swapped));
    if (!m_swapOn)
        QSKIP("no zram swap: the swap-out bound is not checked");
    QVERIFY2(double(swapped * 4096) <= touched / 100,
             qPrintable(QStringLiteral("%1 pages swapped out for %2 bytes touched")
                                .arg(swapped)
                                .arg(touched)));
}

QTEST_GUILESS_MAIN(TestOptimizerCgroup)
#include "tst_optimizer_cgroup.moc"
