#include "optimizer/OptimizerRun.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>
#include <new>
#include <set>
#include <vector>

using namespace Kalvoren;

namespace {

constexpr quint64 mib = 1024 * 1024;

// Hands out real memory and remembers what was given and given back. fail and throwAt pick
// allocations (counted from 0) that give nothing or throw; onAllocate runs before each.
struct RecordingAllocator
{
    std::vector<quint64> sizes;
    std::set<void *> live;
    int freed = 0;
    std::set<int> fail;
    std::set<int> throwAt;
    std::function<void(int)> onAllocate;

    BlockAllocator allocator()
    {
        return { [this](std::size_t size) -> void * {
                    const int index = int(sizes.size());
                    sizes.push_back(size);
                    if (onAllocate)
                        onAllocate(index);
                    if (throwAt.count(index))
                        throw std::bad_alloc();
                    if (fail.count(index))
                        return nullptr;
                    void *block = std::malloc(size ? size : 1);
                    live.insert(block);
                    return block;
                },
                 [this](void *block) {
                     if (live.erase(block))
                         ++freed;
                     std::free(block);
                 } };
    }
};

OptimizerEnvironment environmentFor(quint64 sum, double version, RecordingAllocator *recorder)
{
    OptimizerEnvironment environment;
    environment.sum = [sum] { return sum; };
    environment.frameworkVersion = version;
    environment.allocator = recorder->allocator();
    return environment;
}

} // namespace

class TestOptimizerRun : public QObject
{
    Q_OBJECT

private slots:
    void oneBlockCountsWholeStrides();
    void runTakesThePlanAndFreesEverything();
    void purgeComesBeforeTheFiguresAreRead();
    void cancelBeforeTheFirstBlock();
    void cancelBetweenBlocks();
    void failedAllocationIsSkipped();
    void exceptionWhileTakingABlockIsLogged();
    void budgetNarrowsTheBlocks();
    void reserveStopsTheBlocks();
    void noRoomKnownKeepsThePlan();
    void stopsWhenReclaimStopsPaying_data();
    void stopsWhenReclaimStopsPaying();
};

void TestOptimizerRun::oneBlockCountsWholeStrides()
{
    // The modern row's block for S = 1,000,000,000: 65,000,000 bytes, 15,870 pages.
    std::atomic<quint64> touched { 0 };
    RecordingAllocator recorder;
    const BlockAllocator allocator = recorder.allocator();
    void *block = takeAndTouchBlock(65000000, touched, allocator);
    QVERIFY(block);
    QCOMPARE(touched.load(), quint64(65003520));
    // Every stride got its byte.
    const auto *bytes = static_cast<const unsigned char *>(block);
    QCOMPARE(bytes[0], 1);
    QCOMPARE(bytes[4096 * 15869], 1);
    allocator.release(block);

    touched = 0;
    block = takeAndTouchBlock(0, touched, allocator);
    QCOMPARE(touched.load(), quint64(0));
    allocator.release(block);
}

void TestOptimizerRun::runTakesThePlanAndFreesEverything()
{
    RecordingAllocator recorder;
    std::atomic<bool> cancel { false };
    std::atomic<quint64> touched { 1000 }; // counts up from where it stands
    const quint64 sum = 20 * mib;
    OptimizerResult planned;
    OptimizerEnvironment environment = environmentFor(sum, 1038, &recorder);
    environment.planned = [&](const OptimizerResult &soFar) {
        planned = soFar;
        QVERIFY(recorder.sizes.empty()); // before the first block
    };
    const OptimizerResult result = runOptimizer(environment, cancel, touched);
    QCOMPARE(result.plan.count, 20);
    QCOMPARE(planned.plan.count, 20);
    QCOMPARE(result.blockSize, quint64(double(sum) * 1.3 / 20.0));
    QCOMPARE(int(recorder.sizes.size()), 20);
    for (quint64 size : recorder.sizes)
        QCOMPARE(size, result.blockSize);
    QCOMPARE(result.blocksTaken, 20);
    QCOMPARE(recorder.freed, 20);
    QVERIFY(recorder.live.empty());
    QCOMPARE(result.bytesTouched, 20 * touchedBytesFor(result.blockSize));
    QCOMPARE(touched.load(), 1000 + result.bytesTouched);
    QVERIFY(!result.cancelled);
    QVERIFY(!result.stoppedAtReserve);

    // The oldest row takes ten blocks of S / 20.
    RecordingAllocator old;
    const OptimizerResult oldResult = runOptimizer(environmentFor(sum, 900, &old), cancel, touched);
    QCOMPARE(int(old.sizes.size()), 10);
    QCOMPARE(oldResult.blockSize, sum / 20);
    QCOMPARE(old.freed, 10);
}

void TestOptimizerRun::purgeComesBeforeTheFiguresAreRead()
{
    RecordingAllocator recorder;
    QStringList order;
    OptimizerEnvironment environment = environmentFor(0, 1038, &recorder);
    environment.purge = [&] {
        order << QStringLiteral("purge");
        return PurgeResult { PurgeOutcome::Failed, QStringLiteral("purge: stand-in failed") };
    };
    environment.sum = [&] {
        order << QStringLiteral("sum");
        return quint64(40 * 4096);
    };
    std::atomic<bool> cancel { false };
    std::atomic<quint64> touched { 0 };
    QTest::ignoreMessage(QtWarningMsg, "purge: stand-in failed");
    const OptimizerResult result = runOptimizer(environment, cancel, touched);
    QCOMPARE(order, QStringList({ QStringLiteral("purge"), QStringLiteral("sum") }));
    // A failed purge never stops the run.
    QCOMPARE(result.purge.outcome, PurgeOutcome::Failed);
    QCOMPARE(result.blocksTaken, 20);
}

void TestOptimizerRun::cancelBeforeTheFirstBlock()
{
    RecordingAllocator recorder;
    std::atomic<bool> cancel { true };
    std::atomic<quint64> touched { 0 };
    const OptimizerResult result =
            runOptimizer(environmentFor(8 * mib, 1038, &recorder), cancel, touched);
    QVERIFY(result.cancelled);
    QCOMPARE(result.blocksTaken, 0);
    QVERIFY(recorder.sizes.empty());
    QCOMPARE(touched.load(), quint64(0));
}

void TestOptimizerRun::cancelBetweenBlocks()
{
    RecordingAllocator recorder;
    std::atomic<bool> cancel { false };
    std::atomic<quint64> touched { 0 };
    // Pressed while the third block is being taken: that block is finished, no fourth.
    recorder.onAllocate = [&](int index) {
        if (index == 2)
            cancel = true;
    };
    const OptimizerResult result =
            runOptimizer(environmentFor(8 * mib, 1038, &recorder), cancel, touched);
    QVERIFY(result.cancelled);
    QCOMPARE(result.blocksTaken, 3);
    QCOMPARE(int(recorder.sizes.size()), 3);
    QCOMPARE(recorder.freed, 3);
    QVERIFY(recorder.live.empty());
    QCOMPARE(result.bytesTouched, 3 * touchedBytesFor(result.blockSize));
}

void TestOptimizerRun::failedAllocationIsSkipped()
{
    RecordingAllocator recorder;
    recorder.fail = { 0, 7 };
    std::atomic<bool> cancel { false };
    std::atomic<quint64> touched { 0 };
    const OptimizerResult result =
            runOptimizer(environmentFor(8 * mib, 1038, &recorder), cancel, touched);
    QCOMPARE(int(recorder.sizes.size()), 20);
    QCOMPARE(result.blocksFailed, 2);
    QCOMPARE(result.blocksTaken, 18);
    QCOMPARE(recorder.freed, 18);
    // The progress does not move for a block that was not had.
    QCOMPARE(result.bytesTouched, 18 * touchedBytesFor(result.blockSize));
}

void TestOptimizerRun::exceptionWhileTakingABlockIsLogged()
{
    RecordingAllocator recorder;
    recorder.throwAt = { 4 };
    std::atomic<bool> cancel { false };
    std::atomic<quint64> touched { 0 };
    QTest::ignoreMessage(QtWarningMsg,
                         "Exception - Exception std::bad_alloc, Reason std::bad_alloc, ");
    const OptimizerResult result =
            runOptimizer(environmentFor(8 * mib, 1038, &recorder), cancel, touched);
    QCOMPARE(result.blocksTaken, 19);
    QCOMPARE(result.blocksFailed, 1);
    QCOMPARE(recorder.freed, 19);
    QVERIFY(recorder.live.empty());
}

void TestOptimizerRun::budgetNarrowsTheBlocks()
{
    // S would ask for 20 x 65 MB; the room allows 100 MiB above a 64 MiB reserve.
    RecordingAllocator recorder;
    OptimizerEnvironment environment = environmentFor(1000000000, 1038, &recorder);
    MemoryRoom room;
    room.limitBytes = 512 * mib; // reserve 64 MiB
    room.availableBytes = 164 * mib;
    int looks = 0;
    environment.room = [&] {
        ++looks;
        return std::optional<MemoryRoom>(room);
    };
    std::atomic<bool> cancel { false };
    std::atomic<quint64> touched { 0 };
    const OptimizerResult result = runOptimizer(environment, cancel, touched);
    QCOMPARE(result.budget, 100 * mib);
    QCOMPARE(result.blockSize, (100 * mib / 20) / 4096 * 4096);
    QCOMPARE(result.blocksTaken, 20);
    QVERIFY(result.bytesTouched <= 100 * mib);
    QVERIFY(result.bytesTouched >= 99 * mib);
    // Looked at once before the run and again before every block.
    QCOMPARE(looks, 21);
    // The maximum keeps its meaning: twice S, however much the budget allows.
    QCOMPARE(result.plan.progressMaximum, 2e9);
}

void TestOptimizerRun::reserveStopsTheBlocks()
{
    // Someone else takes 5 MiB for every block the run takes, so the room shrinks twice as
    // fast as planned; the run must stop taking blocks once the reserve is reached.
    RecordingAllocator recorder;
    OptimizerEnvironment environment = environmentFor(1000000000, 1038, &recorder);
    std::atomic<quint64> touched { 0 };
    quint64 others = 0;
    auto available = [&] { return 164 * mib - touched.load() - others; };
    environment.room = [&] {
        MemoryRoom room;
        room.limitBytes = 512 * mib; // reserve 64 MiB
        room.availableBytes = available();
        return std::optional<MemoryRoom>(room);
    };
    recorder.onAllocate = [&](int) { others += 5 * mib; };
    std::atomic<bool> cancel { false };
    const OptimizerResult result = runOptimizer(environment, cancel, touched);
    QVERIFY(result.stoppedAtReserve);
    QVERIFY(!result.cancelled);
    QCOMPARE(result.blockSize, 5 * mib);
    QCOMPARE(result.blocksTaken, 10);
    QCOMPARE(recorder.freed, 10);
    // Not a byte into the reserve.
    QVERIFY(available() >= reserveFor(512 * mib));
}

void TestOptimizerRun::noRoomKnownKeepsThePlan()
{
    RecordingAllocator recorder;
    OptimizerEnvironment environment = environmentFor(4 * mib, 1038, &recorder);
    environment.room = [] { return std::optional<MemoryRoom>(); };
    std::atomic<bool> cancel { false };
    std::atomic<quint64> touched { 0 };
    const OptimizerResult result = runOptimizer(environment, cancel, touched);
    QCOMPARE(result.budget, noBudgetLimit);
    QCOMPARE(result.blockSize, result.plan.size);
    QCOMPARE(result.blocksTaken, 20);
}

void TestOptimizerRun::stopsWhenReclaimStopsPaying_data()
{
    // A kernel that has 10 MiB free and 100 MiB of page cache: what the run holds beyond the
    // free memory comes out of the cache down to cacheFloor, and the rest from elsewhere;
    // swapPermille of what the run holds is swapped out all along.
    QTest::addColumn<int>("cacheFloorMib");
    QTest::addColumn<int>("swapPermille");
    QTest::addColumn<int>("stopsFromMib"); // -1: never stops
    QTest::newRow("cache keeps paying") << 0 << 0 << -1;
    QTest::newRow("cache stops falling") << 60 << 0 << 10 + 40;
    QTest::newRow("swapping from the start") << 0 << 50 << 0;
}

void TestOptimizerRun::stopsWhenReclaimStopsPaying()
{
    QFETCH(int, cacheFloorMib);
    QFETCH(int, swapPermille);
    QFETCH(int, stopsFromMib);
    const quint64 freeAtStart = 10 * mib;
    const quint64 cacheAtStart = 100 * mib;
    const quint64 swapAtStart = 1000 * mib;
    RecordingAllocator recorder;
    // S = 100 MB: the row would take 124 MiB, the page cache allows 110 (blocks of 5.5 MiB).
    OptimizerEnvironment environment = environmentFor(100000000, 1038, &recorder);
    std::atomic<quint64> touched { 0 };
    environment.room = [&] {
        const quint64 held = touched.load();
        const quint64 needed = held - std::min(held, freeAtStart);
        const quint64 fromCache = std::min(needed, cacheAtStart - cacheFloorMib * mib);
        MemoryRoom room;
        room.limitBytes = 2048 * mib;
        room.availableBytes = 1000 * mib;
        room.swapFreeBytes = swapAtStart - held * quint64(swapPermille) / 1000;
        room.reclaim = ReclaimScope { freeAtStart - std::min(held, freeAtStart),
                                      cacheAtStart - fromCache, 0 };
        return std::optional<MemoryRoom>(room);
    };
    std::atomic<bool> cancel { false };
    const OptimizerResult result = runOptimizer(environment, cancel, touched);
    QCOMPARE(result.bound, PlanBound::Reclaimable);
    QCOMPARE(result.blockSize, quint64(5.5 * mib));
    QCOMPARE(recorder.freed, result.blocksTaken);
    if (stopsFromMib < 0) {
        QVERIFY(!result.stoppedNotPaying);
        QCOMPARE(result.blocksTaken, 20);
        return;
    }
    // At the first look after the block that no longer paid, and never before.
    QVERIFY(result.stoppedNotPaying);
    QVERIFY2(result.bytesTouched >= stopsFromMib * mib, qPrintable(QString::number(
                                                                result.bytesTouched)));
    QVERIFY(result.bytesTouched < stopsFromMib * mib + 2 * result.blockSize);
}

QTEST_GUILESS_MAIN(TestOptimizerRun)
#include "tst_optimizerrun.moc"
