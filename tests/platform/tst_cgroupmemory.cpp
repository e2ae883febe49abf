#include "platform/linux/CgroupMemory.h"
#include "platform/linux/LinuxPlatform.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Kalvoren;

namespace {

constexpr quint64 mib = 1024 * 1024;

void put(const QString &path, const QByteArray &text)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
}

// A /proc with 8 GiB of memory, 6 GiB available, placed in the cgroups "/user/app" (v1
// memory) and "/user.slice/app.scope" (v2), both hierarchies mounted under root/cg.
struct FakeSystem
{
    QTemporaryDir dir;
    QString proc() const { return dir.filePath(QStringLiteral("proc")); }
    QString v1(const QString &path) const { return dir.filePath(QStringLiteral("cg/memory")) + path; }
    QString v2(const QString &path) const { return dir.filePath(QStringLiteral("cg/unified")) + path; }

    void write(bool withV1, bool withV2)
    {
        put(proc() + QLatin1String("/meminfo"),
            "MemTotal:        8388608 kB\nMemFree:         1048576 kB\n"
            "MemAvailable:    6291456 kB\nActive:          2097152 kB\n"
            "Inactive:        3145728 kB\nActive(file):    1048576 kB\n"
            "Inactive(file):  2097152 kB\n");
        QByteArray cgroup = "5:cpu,cpuacct:/user\n";
        if (withV1)
            cgroup += "4:memory:/user/app\n";
        if (withV2)
            cgroup += "0::/user.slice/app.scope\n";
        put(proc() + QLatin1String("/self/cgroup"), cgroup);
        QByteArray mounts = "22 1 0:20 / /proc rw - proc proc rw\n";
        if (withV1) {
            mounts += "30 25 0:26 / " + v1(QString()).toUtf8()
                    + " rw,nosuid shared:9 - cgroup cgroup rw,memory\n";
        }
        if (withV2)
            mounts += "31 25 0:27 / " + v2(QString()).toUtf8() + " rw - cgroup2 cgroup2 rw\n";
        put(proc() + QLatin1String("/self/mountinfo"), mounts);
    }
};

} // namespace

class TestCgroupMemory : public QObject
{
    Q_OBJECT

private slots:
    void placement();
    void mountInfo();
    void directories();
    void noCgroupMeansTheMachine();
    void v1ParentLimitBinds();
    void v1InactiveFileCountsAsRoom();
    void v2LimitAndMax();
    void fullCgroupLeavesNoRoom();
    void oldKernelWithoutMemAvailable();
    void reclaimScopeIsWhereMemoryRunsOutFirst_data();
    void reclaimScopeIsWhereMemoryRunsOutFirst();
};

void TestCgroupMemory::placement()
{
    const CgroupPlacement p = parseProcCgroup(
            "12:pids:/a\n4:cpuset,memory:/process_api/06e9\n0::/user.slice/x:y.scope\n");
    QCOMPARE(p.v1MemoryPath.value_or(QString()), QStringLiteral("/process_api/06e9"));
    QCOMPARE(p.v2Path.value_or(QString()), QStringLiteral("/user.slice/x:y.scope"));
    const CgroupPlacement unified = parseProcCgroup("0::/\n");
    QVERIFY(!unified.v1MemoryPath);
    QCOMPARE(unified.v2Path.value_or(QString()), QStringLiteral("/"));
    // A named hierarchy that merely mentions memory in its name is not the controller.
    QVERIFY(!parseProcCgroup("9:name=memoryish:/\n").v1MemoryPath);
}

void TestCgroupMemory::mountInfo()
{
    const CgroupMounts m = parseMountInfo(
            "35 24 0:30 / /sys/fs/cgroup/cpu rw shared:10 - cgroup cgroup rw,cpu\n"
            "36 24 0:31 /docker/abc /sys/fs/cgroup/mem\\040ory rw shared:11 - cgroup cgroup "
            "rw,memory\n"
            "37 24 0:32 / /sys/fs/cgroup/unified rw - cgroup2 cgroup2 rw,nsdelegate\n"
            "garbage line\n");
    QVERIFY(m.v1Memory);
    QCOMPARE(m.v1Memory->root, QStringLiteral("/docker/abc"));
    QCOMPARE(m.v1Memory->mountPoint, QStringLiteral("/sys/fs/cgroup/mem ory"));
    QVERIFY(m.v2);
    QCOMPARE(m.v2->mountPoint, QStringLiteral("/sys/fs/cgroup/unified"));
}

void TestCgroupMemory::directories()
{
    const CgroupMount host { QStringLiteral("/"), QStringLiteral("/cg") };
    QCOMPARE(cgroupDirectories(host, QStringLiteral("/a/b")),
             QStringList({ "/cg/a/b", "/cg/a", "/cg" }));
    QCOMPARE(cgroupDirectories(host, QStringLiteral("/")), QStringList({ "/cg" }));
    // A bind mount of one container's hierarchy: paths are shown from the host's root.
    const CgroupMount bound { QStringLiteral("/docker/abc"), QStringLiteral("/cg") };
    QCOMPARE(cgroupDirectories(bound, QStringLiteral("/docker/abc/sub")),
             QStringList({ "/cg/sub", "/cg" }));
    QCOMPARE(cgroupDirectories(bound, QStringLiteral("/docker/abc")), QStringList({ "/cg" }));
    // A cgroup namespace already shows paths from the mounted root.
    QCOMPARE(cgroupDirectories(bound, QStringLiteral("/")), QStringList({ "/cg" }));
    QVERIFY(cgroupDirectories(host, QStringLiteral("relative")).isEmpty());
    QVERIFY(cgroupDirectories(host, QStringLiteral("/a/../../etc")).isEmpty());
}

void TestCgroupMemory::noCgroupMeansTheMachine()
{
    FakeSystem system;
    system.write(false, false);
    const std::optional<MemoryRoom> room = LinuxPlatform(system.proc()).memoryRoom();
    QVERIFY(room);
    QCOMPARE(room->availableBytes, 6144 * mib);
    QCOMPARE(room->limitBytes, 8192 * mib);
    QCOMPARE(room->boundBy, QStringLiteral("memory"));
}

void TestCgroupMemory::v1ParentLimitBinds()
{
    FakeSystem system;
    system.write(true, false);
    // Own cgroup unlimited (v1 writes the largest page counter), parent 2 GiB with 1.5 GiB
    // used, the root without a limit file at all.
    put(system.v1(QStringLiteral("/user/app/memory.limit_in_bytes")), "9223372036854771712\n");
    put(system.v1(QStringLiteral("/user/app/memory.usage_in_bytes")), "104857600\n");
    put(system.v1(QStringLiteral("/user/memory.limit_in_bytes")), "2147483648\n");
    put(system.v1(QStringLiteral("/user/memory.usage_in_bytes")), "1610612736\n");
    const std::optional<MemoryRoom> room = LinuxPlatform(system.proc()).memoryRoom();
    QVERIFY(room);
    QCOMPARE(room->availableBytes, 512 * mib);
    QCOMPARE(room->limitBytes, 2048 * mib);
    QCOMPARE(room->boundBy, system.v1(QStringLiteral("/user")));
}

void TestCgroupMemory::v1InactiveFileCountsAsRoom()
{
    FakeSystem system;
    system.write(true, false);
    put(system.v1(QStringLiteral("/user/app/memory.limit_in_bytes")), "1073741824\n");
    put(system.v1(QStringLiteral("/user/app/memory.usage_in_bytes")), "943718400\n"); // 900 MiB
    // The level's own figure (inactive_file) is not what usage counts; the total is.
    put(system.v1(QStringLiteral("/user/app/memory.stat")),
        "cache 700000000\ninactive_file 1\ntotal_inactive_file 629145600\n" // 600 MiB
        "active_file 2\ntotal_active_file 104857600\n");                      // 100 MiB
    const std::optional<MemoryRoom> room = LinuxPlatform(system.proc()).memoryRoom();
    QVERIFY(room);
    QCOMPARE(room->availableBytes, 724 * mib); // 1024 - (900 - 600)
    QCOMPARE(room->limitBytes, 1024 * mib);
    // Reclaim starts at this limit (124 MiB unused, 1 GiB free on the machine), and comes out
    // of the page cache charged to it.
    QVERIFY(room->reclaim);
    QCOMPARE(room->reclaim->freeBytes, 124 * mib);
    QCOMPARE(room->reclaim->fileCacheBytes, 700 * mib);
    QCOMPARE(room->reclaim->inactiveFileBytes, 600 * mib);
}

void TestCgroupMemory::v2LimitAndMax()
{
    FakeSystem system;
    system.write(false, true);
    put(system.v2(QStringLiteral("/user.slice/app.scope/memory.max")), "max\n");
    put(system.v2(QStringLiteral("/user.slice/app.scope/memory.current")), "1000\n");
    put(system.v2(QStringLiteral("/user.slice/memory.max")), "3221225472\n");
    put(system.v2(QStringLiteral("/user.slice/memory.current")), "1073741824\n");
    put(system.v2(QStringLiteral("/user.slice/memory.stat")),
        "anon 1\ninactive_file 104857600\n");
    const std::optional<MemoryRoom> room = LinuxPlatform(system.proc()).memoryRoom();
    QVERIFY(room);
    QCOMPARE(room->availableBytes, 2148 * mib); // 3072 - (1024 - 100)
    QCOMPARE(room->limitBytes, 3072 * mib);
    QCOMPARE(room->boundBy, system.v2(QStringLiteral("/user.slice")));
}

void TestCgroupMemory::fullCgroupLeavesNoRoom()
{
    FakeSystem system;
    system.write(true, true);
    // Charged beyond its limit (a limit lowered after the fact): no room, never a wrap.
    put(system.v1(QStringLiteral("/user/app/memory.limit_in_bytes")), "104857600\n");
    put(system.v1(QStringLiteral("/user/app/memory.usage_in_bytes")), "209715200\n");
    put(system.v2(QStringLiteral("/user.slice/memory.max")), "3221225472\n");
    put(system.v2(QStringLiteral("/user.slice/memory.current")), "0\n");
    const std::optional<MemoryRoom> room = LinuxPlatform(system.proc()).memoryRoom();
    QVERIFY(room);
    QCOMPARE(room->availableBytes, quint64(0));
    QCOMPARE(room->limitBytes, 100 * mib);
}

void TestCgroupMemory::oldKernelWithoutMemAvailable()
{
    MemInfo info;
    info.memTotal = 1024 * 1024;
    info.memFree = 200 * 1024;
    info.inactive = 500 * 1024;
    const std::optional<MemoryRoom> room = memoryRoomFrom(info, {});
    QVERIFY(room);
    QCOMPARE(room->availableBytes, 200 * mib); // only MemFree is sure
    QVERIFY(!memoryRoomFrom(MemInfo(), {}));
}

void TestCgroupMemory::reclaimScopeIsWhereMemoryRunsOutFirst_data()
{
    // The machine: 1000 MiB free, 300 MiB active and 500 MiB inactive page cache. A cgroup
    // level of 2 GiB with unusedMib left under its limit and 40 + 60 MiB of page cache.
    QTest::addColumn<int>("unusedMib"); // -1: no cgroup level
    QTest::addColumn<int>("freeMib");
    QTest::addColumn<int>("cacheMib");
    QTest::addColumn<int>("inactiveMib");
    QTest::newRow("the machine") << -1 << 1000 << 800 << 500;
    QTest::newRow("a cgroup that fills first") << 200 << 200 << 100 << 60;
    QTest::newRow("a cgroup with more room than is free") << 1500 << 1000 << 800 << 500;
}

void TestCgroupMemory::reclaimScopeIsWhereMemoryRunsOutFirst()
{
    QFETCH(int, unusedMib);
    QFETCH(int, freeMib);
    QFETCH(int, cacheMib);
    QFETCH(int, inactiveMib);
    MemInfo info;
    info.memTotal = 8192 * 1024;
    info.memFree = 1000 * 1024;
    info.memAvailable = 2000 * 1024;
    info.activeFile = 300 * 1024;
    info.inactiveFile = 500 * 1024;
    info.swapFree = 64 * 1024;
    std::vector<CgroupLevel> levels;
    if (unusedMib >= 0)
        levels.push_back({ QStringLiteral("/cg"), 2048 * mib, (2048 - unusedMib) * mib,
                           60 * mib, 40 * mib });
    const std::optional<MemoryRoom> room = memoryRoomFrom(info, levels);
    QVERIFY(room && room->reclaim);
    QCOMPARE(room->reclaim->freeBytes, freeMib * mib);
    QCOMPARE(room->reclaim->fileCacheBytes, cacheMib * mib);
    QCOMPARE(room->reclaim->inactiveFileBytes, inactiveMib * mib);
    // The machine's own figures stay the machine's whatever binds.
    QCOMPARE(room->memFreeBytes.value_or(0), 1000 * mib);
    QCOMPARE(room->fileCacheBytes.value_or(0), 800 * mib);
    QCOMPARE(room->swapFreeBytes.value_or(0), 64 * mib);
    // Kernels without the file LRU lines say nothing about reclaim.
    info.activeFile.reset();
    QVERIFY(!memoryRoomFrom(info, levels)->reclaim);
}

QTEST_GUILESS_MAIN(TestCgroupMemory)
#include "tst_cgroupmemory.moc"
