#include "cli/Cli.h"
#include "cli/OptimizeCommand.h"
#include "platform/commands/CommandsPlatform.h"
#include "platform/linux/LinuxPlatform.h"
#include "../support/StreamContents.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <cstdio>
#include <cstdlib>

using namespace Kalvoren;

namespace {

constexpr quint64 mib = 1024 * 1024;

// A /proc of 1 GiB with 100 MiB free, 60 MiB inactive, 340 MiB of page cache and 300 MiB
// available, so the run takes 172 MiB (300 less a 128 MiB reserve).
const QByteArray roomyMeminfo = "MemTotal:        1048576 kB\nMemFree:          102400 kB\n"
                                "MemAvailable:     307200 kB\nActive:           409600 kB\n"
                                "Inactive:          61440 kB\nActive(file):     307200 kB\n"
                                "Inactive(file):    40960 kB\n";
// The same with only 100 MiB available: less than the reserve.
const QByteArray fullMeminfo = "MemTotal:        1048576 kB\nMemFree:           51200 kB\n"
                               "MemAvailable:     102400 kB\nActive:           409600 kB\n"
                               "Inactive:          61440 kB\nActive(file):      30720 kB\n"
                               "Inactive(file):    20480 kB\n";

// Runs the command with output captured, on the Linux platform over a /proc with meminfo.
struct Capture
{
    QTemporaryDir proc;
    FILE *out = std::tmpfile();
    FILE *err = std::tmpfile();
    CliContext context;

    explicit Capture(const QByteArray &meminfo = roomyMeminfo)
    {
        QFile file(proc.filePath(QStringLiteral("meminfo")));
        if (file.open(QIODevice::WriteOnly))
            file.write(meminfo);
        context.streams = { out, err, stdin };
        const QString root = proc.path();
        context.makePlatform = [root] { return std::make_unique<LinuxPlatform>(root); };
    }
    ~Capture()
    {
        std::fclose(out);
        std::fclose(err);
    }
    // The platform that runs vm_stat and purge from PATH, with the same /proc.
    void useCommandsPlatform()
    {
        const QString root = proc.path();
        context.makePlatform = [root] {
            return std::make_unique<CommandsPlatform>(1038.0, QStringLiteral("/usr/bin/osascript"),
                                                      root);
        };
    }
    int run(const QStringList &arguments, const OptimizeHooks &hooks = OptimizeHooks())
    {
        return runOptimizeCommandWith(arguments, context, hooks);
    }
    QJsonObject json() { return QJsonDocument::fromJson(streamContents(out)).object(); }
};

// Stand-ins on PATH for the BSD-style vm_stat and purge commands: a vm_stat of 1,000 free and
// 1,000 inactive pages, and a purge that leaves a mark.
struct StandInCommands
{
    QTemporaryDir bin;
    QByteArray oldPath = qgetenv("PATH");
    QString marker = bin.filePath(QStringLiteral("purged"));

    StandInCommands()
    {
        script(QStringLiteral("vm_stat"),
               "cat <<'EOF'\nMach Virtual Memory Statistics: (page size of 4096 bytes)\n"
               "Pages free:                               1000.\n"
               "Pages active:                             3000.\n"
               "Pages inactive:                           1000.\n"
               "Pages speculative:                           0.\n"
               "Pages wired down:                         2000.\n"
               "\"Translation faults\":                  100.\n"
               "Pages copy-on-write:                       10.\n"
               "Pages zero filled:                         10.\n"
               "Pages reactivated:                          0.\n"
               "Pageins:                                   50.\n"
               "Pageouts:                                   5.\n"
               "EOF\n");
        script(QStringLiteral("purge"), "touch '" + marker.toLocal8Bit() + "'\n");
        qputenv("PATH", bin.path().toLocal8Bit() + ':' + oldPath);
    }
    ~StandInCommands() { qputenv("PATH", oldPath); }
    void script(const QString &name, const QByteArray &body)
    {
        QFile file(bin.filePath(name));
        if (file.open(QIODevice::WriteOnly))
            file.write("#!/bin/sh\n" + body);
        file.close();
        file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
    }
};

struct CountingAllocator
{
    int allocated = 0;
    int freed = 0;
    int interruptAt = -1;
    int failAt = -1;
    BlockAllocator allocator()
    {
        return { [this](std::size_t size) -> void * {
                    const int index = allocated++;
                    if (index == interruptAt)
                        std::raise(SIGINT); // Ctrl-C while this block is taken
                    return index == failAt ? nullptr : std::malloc(size);
                },
                 [this](void *block) {
                     freed += block != nullptr;
                     std::free(block);
                 } };
    }
};

} // namespace

class TestOptimizeCommand : public QObject
{
    Q_OBJECT

private slots:
    void jsonRunKeepsToTheBudget();
    void ctrlCCancelsBetweenBlocks();
    void progressAndClosingLines();
    void progressLineText();
    void unknownOptionIsAUsageError();
    void commandsPlatformRunsPurgeWithinTheBudget();
    void zeroBudgetTakesNoBlockAndSaysWhy_data();
    void zeroBudgetTakesNoBlockAndSaysWhy();
};

void TestOptimizeCommand::jsonRunKeepsToTheBudget()
{
    Capture capture;
    CountingAllocator counting;
    OptimizeHooks hooks;
    hooks.allocator = counting.allocator();
    QCOMPARE(capture.run({ QStringLiteral("--json"), QStringLiteral("--no-purge") }, hooks),
             int(ExitOk));
    const QJsonObject o = capture.json();
    QCOMPARE(o.value(QLatin1String("purge")).toString(), QStringLiteral("skipped"));
    QCOMPARE(o.value(QLatin1String("sum_bytes")).toDouble(), double(160 * mib));
    QCOMPARE(o.value(QLatin1String("progress_maximum_bytes")).toDouble(), double(320 * mib));
    QCOMPARE(o.value(QLatin1String("budget_bytes")).toDouble(), double(172 * mib));
    // 172 MiB over 20 blocks, in whole pages: 2201 pages a block.
    QCOMPARE(o.value(QLatin1String("block_bytes")).toDouble(), double(2201 * 4096));
    QCOMPARE(o.value(QLatin1String("blocks_taken")).toInt(), 20);
    QCOMPARE(o.value(QLatin1String("touched_bytes")).toDouble(), double(20 * 2201 * 4096));
    // What a progress display counts up to is what was touched: it ends full.
    QCOMPARE(o.value(QLatin1String("planned_bytes")).toDouble(), double(20 * 2201 * 4096));
    QCOMPARE(o.value(QLatin1String("plan_bound")).toString(), QStringLiteral("budget"));
    QCOMPARE(o.value(QLatin1String("page_cache_before_bytes")).toDouble(), double(340 * mib));
    QCOMPARE(o.value(QLatin1String("cancelled")).toBool(), false);
    QCOMPARE(o.value(QLatin1String("free_before_bytes")).toDouble(), double(100 * mib));
    QCOMPARE(o.value(QLatin1String("available_before_bytes")).toDouble(), double(300 * mib));
    QCOMPARE(o.value(QLatin1String("bound_by")).toString(), QStringLiteral("memory"));
    QCOMPARE(counting.allocated, 20);
    QCOMPARE(counting.freed, 20);
}

void TestOptimizeCommand::ctrlCCancelsBetweenBlocks()
{
    struct sigaction before = {};
    sigaction(SIGINT, nullptr, &before);
    Capture capture;
    CountingAllocator counting;
    counting.interruptAt = 1;
    OptimizeHooks hooks;
    hooks.allocator = counting.allocator();
    QCOMPARE(capture.run({ QStringLiteral("--json"), QStringLiteral("--no-purge") }, hooks),
             int(ExitCancelled));
    const QJsonObject o = capture.json();
    QCOMPARE(o.value(QLatin1String("cancelled")).toBool(), true);
    QCOMPARE(o.value(QLatin1String("blocks_taken")).toInt(), 2);
    QCOMPARE(counting.allocated, 2);
    QCOMPARE(counting.freed, 2);

    // Whatever handled SIGINT before the run handles it again afterwards.
    struct sigaction now = {};
    sigaction(SIGINT, nullptr, &now);
    QVERIFY(now.sa_handler == before.sa_handler);
}

void TestOptimizeCommand::progressAndClosingLines()
{
    Capture capture;
    OptimizeHooks hooks;
    hooks.progress = ProgressDisplay::Always;
    CountingAllocator counting;
    counting.failAt = 1;
    counting.interruptAt = 3;
    hooks.allocator = counting.allocator();
    QCOMPARE(capture.run({ QStringLiteral("--no-purge") }, hooks), int(ExitCancelled));
    const QStringList lines = QString::fromUtf8(streamContents(capture.out)).split('\n');
    QVERIFY2(lines.size() == 6, qPrintable(lines.join('|')));
    QVERIFY2(lines[0].startsWith(
                     QLatin1String("Cancelled after 3 of 20 blocks; touched 0.03 GiB")),
             qPrintable(lines[0]));
    QCOMPARE(lines[1], QStringLiteral("Free: 100.00 MB -> 100.00 MB (0.00 MB); "
                                      "available: 300.00 MB -> 300.00 MB (0.00 MB); "
                                      "page cache: 340.00 MB -> 340.00 MB (0.00 MB)"));
    // Failed allocations are named, as the JSON's blocks_failed counts them.
    QCOMPARE(lines[2], QStringLiteral("1 allocation failed."));
    QVERIFY(lines[3].startsWith(QLatin1String("Took ")));
    QCOMPARE(lines[4], QStringLiteral("The page cache was not dropped first."));
    const QString err = QString::fromUtf8(streamContents(capture.err));
    QVERIFY2(err.contains(QLatin1String("of 0.17 GiB")), qPrintable(err));
}

void TestOptimizeCommand::progressLineText()
{
    QCOMPARE(progressLine(512 * mib, 1024 * mib, 2.5e9, 10),
             QStringLiteral("[#####-----] 0.50 GiB of 1.00 GiB  2.50 GB/s"));
    QCOMPARE(progressLine(2048 * mib, 1024 * mib, 0, 4),
             QStringLiteral("[####] 2.00 GiB of 1.00 GiB  0.00 GB/s"));
    QCOMPARE(progressLine(0, 0, 0, 2), QStringLiteral("[##] 0.00 GiB of 0.00 GiB  0.00 GB/s"));
}

void TestOptimizeCommand::unknownOptionIsAUsageError()
{
    Capture capture;
    QCOMPARE(capture.run({ QStringLiteral("--fast") }), int(ExitUsage));
    QVERIFY(streamContents(capture.err).contains("unknown option '--fast'"));
    QCOMPARE(capture.run({ QStringLiteral("--help") }), int(ExitOk));
    QVERIFY(streamContents(capture.out).contains("Ctrl-C"));
}

void TestOptimizeCommand::commandsPlatformRunsPurgeWithinTheBudget()
{
    StandInCommands commands;
    Capture capture;
    capture.useCommandsPlatform();
    QCOMPARE(capture.run({ QStringLiteral("--json") }), int(ExitOk));
    QVERIFY(QFile::exists(commands.marker));
    const QJsonObject o = capture.json();
    QCOMPARE(o.value(QLatin1String("purge")).toString(), QStringLiteral("done"));
    QCOMPARE(o.value(QLatin1String("sum_bytes")).toDouble(), 2000.0 * 4096);
    // /proc is there to be read, so the budget holds on this platform too.
    QCOMPARE(o.value(QLatin1String("budget_bytes")).toDouble(), double(172 * mib));
    // The row is below the budget and the page cache left: it stands as it is.
    const quint64 size = quint64(2000.0 * 4096 * 1.3 / 20.0);
    QCOMPARE(o.value(QLatin1String("block_bytes")).toDouble(), double(size));
    QCOMPARE(o.value(QLatin1String("touched_bytes")).toDouble(),
             20.0 * double((size + 4095) / 4096 * 4096));
}

void TestOptimizeCommand::zeroBudgetTakesNoBlockAndSaysWhy_data()
{
    QTest::addColumn<bool>("commandsPlatform");
    QTest::newRow("linux") << false;
    QTest::newRow("commands") << true;
}

void TestOptimizeCommand::zeroBudgetTakesNoBlockAndSaysWhy()
{
    // 100 MiB available in 1 GiB, which keeps 128 MiB free: not one block may be taken.
    QFETCH(bool, commandsPlatform);
    StandInCommands commands;
    for (const bool json : { true, false }) {
        Capture capture(fullMeminfo);
        if (commandsPlatform)
            capture.useCommandsPlatform();
        CountingAllocator counting;
        OptimizeHooks hooks;
        hooks.allocator = counting.allocator();
        QStringList arguments { QStringLiteral("--no-purge") };
        if (json)
            arguments << QStringLiteral("--json");
        QCOMPARE(capture.run(arguments, hooks), int(ExitFailure));
        QCOMPARE(counting.allocated, 0);
        if (json) {
            const QJsonObject o = capture.json();
            QCOMPARE(o.value(QLatin1String("budget_bytes")).toDouble(), 0.0);
            QCOMPARE(o.value(QLatin1String("blocks_taken")).toInt(), 0);
            QCOMPARE(o.value(QLatin1String("planned_bytes")).toDouble(), 0.0);
            continue;
        }
        const QString out = QString::fromUtf8(streamContents(capture.out));
        QVERIFY2(out.startsWith(QLatin1String("Free: ")), qPrintable(out));
        QVERIFY2(out.contains(QLatin1String("No memory was taken: only 100.00 MB is available, "
                                            "within the 128.00 MB kept free.")),
                 qPrintable(out));
    }
}

QTEST_GUILESS_MAIN(TestOptimizeCommand)
#include "tst_optimizecommand.moc"
