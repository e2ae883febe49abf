#include "optimizer/OptimizerPlan.h"

#include <QTest>

#include <cmath>
#include <limits>

using namespace Kalvoren;

Q_DECLARE_METATYPE(Kalvoren::PlanBound)

class TestOptimizerPlan : public QObject
{
    Q_OBJECT

private slots:
    void rows_data();
    void rows();
    void tinySumGivesEmptyBlocks();
    void sumIs64Bit();
    void touchedBytesRoundUpToWholeStrides();
    void reserveScalesWithTheBindingLimit();
    void blocksFollowWhatCanBeReclaimed_data();
    void blocksFollowWhatCanBeReclaimed();
};

void TestOptimizerPlan::rows_data()
{
    QTest::addColumn<double>("version");
    QTest::addColumn<double>("maximum");
    QTest::addColumn<int>("count");
    QTest::addColumn<quint64>("size");
    QTest::addColumn<quint64>("perBlock");
    const quint64 s = 1000000000;
    QTest::newRow("before 949") << 948.9 << double(s) << 10 << quint64(50000000)
                                << quint64(50003968);
    QTest::newRow("949") << 949.0 << 2.0 * s << 20 << quint64(50000000) << quint64(50003968);
    QTest::newRow("1037.9 is still the middle row")
            << 1037.9 << 2.0 * s << 20 << quint64(50000000) << quint64(50003968);
    QTest::newRow("1038") << 1038.0 << 2.0 * s << 20 << quint64(65000000) << quint64(65003520);
    QTest::newRow("2299") << 2299.0 << 2.0 * s << 20 << quint64(65000000) << quint64(65003520);
}

void TestOptimizerPlan::rows()
{
    QFETCH(double, version);
    QFETCH(double, maximum);
    QFETCH(int, count);
    QFETCH(quint64, size);
    QFETCH(quint64, perBlock);
    const OptimizerPlan plan = planOptimization(1000000000, version);
    QCOMPARE(plan.progressMaximum, maximum);
    QCOMPARE(plan.count, count);
    QCOMPARE(plan.size, size);
    // 15,870 pages of 4096 for the modern row.
    QCOMPARE(touchedBytesFor(plan.size), perBlock);
}

void TestOptimizerPlan::tinySumGivesEmptyBlocks()
{
    for (quint64 s : { quint64(0), quint64(1), quint64(19) }) {
        const OptimizerPlan old = planOptimization(s, 900);
        QCOMPARE(old.size, quint64(0));
        QCOMPARE(old.count, 10);
        QCOMPARE(planOptimization(s, 1000).size, quint64(0));
        QCOMPARE(touchedBytesFor(0), quint64(0));
    }
    QCOMPARE(planOptimization(20, 1000).size, quint64(1));
    // The modern row: 19 x 1.3 / 20 = 1.235, truncated.
    QCOMPARE(planOptimization(19, 1038).size, quint64(1));
}

void TestOptimizerPlan::sumIs64Bit()
{
    // 16 GiB free and 8 GiB inactive: a 32-bit sum would wrap to 0.
    const float gib = 1024.0f * 1024.0f * 1024.0f;
    QCOMPARE(optimizerSum(16 * gib, 8 * gib), quint64(24) << 30);
    const OptimizerPlan plan = planOptimization(optimizerSum(16 * gib, 8 * gib), 1038);
    QCOMPARE(plan.size, quint64(std::trunc(double(quint64(24) << 30) * 1.3 / 20.0)));
    QVERIFY(plan.size > (quint64(1) << 32) / 20);
    // Each figure truncates toward zero; nonsense counts as nothing.
    QCOMPARE(optimizerSum(10.9f, 5.9f), quint64(15));
    QCOMPARE(optimizerSum(-4096.0f, 8192.0f), quint64(8192));
    QCOMPARE(optimizerSum(std::numeric_limits<float>::quiet_NaN(), 4096.0f), quint64(4096));
    QCOMPARE(optimizerSum(std::numeric_limits<float>::infinity(), 0),
             quint64(9007199254740992ull));
}

void TestOptimizerPlan::touchedBytesRoundUpToWholeStrides()
{
    QCOMPARE(touchedBytesFor(1), quint64(4096));
    QCOMPARE(touchedBytesFor(4096), quint64(4096));
    QCOMPARE(touchedBytesFor(4097), quint64(8192));
    QCOMPARE(touchedBytesFor(quint64(5) << 32), quint64(5) << 32);
}

void TestOptimizerPlan::reserveScalesWithTheBindingLimit()
{
    const quint64 mib = 1024 * 1024;
    QCOMPARE(reserveFor(64 * mib), 32 * mib);
    QCOMPARE(reserveFor(1024 * mib), 128 * mib);
    QCOMPARE(reserveFor(quint64(24) << 30), 1024 * mib);

    // A 1 GiB cgroup with a little in use still leaves well over 400 MiB to touch.
    MemoryRoom cgroup;
    cgroup.limitBytes = 1024 * mib;
    cgroup.availableBytes = 1000 * mib;
    QVERIFY(budgetFrom(cgroup) >= 400 * mib);
    QCOMPARE(budgetFrom(cgroup), 872 * mib);

    // Once the reserve is reached nothing more may be taken; it never wraps below zero.
    cgroup.availableBytes = 100 * mib;
    QCOMPARE(budgetFrom(cgroup), quint64(0));
    cgroup.availableBytes = 128 * mib;
    QCOMPARE(budgetFrom(cgroup), quint64(0));
}

void TestOptimizerPlan::blocksFollowWhatCanBeReclaimed_data()
{
    // The row of S = 10 GB: 20 blocks of 650 MB, 13 GB in all. Figures in MiB, chosen so that
    // a twentieth is whole pages; budget -1: no limit known, free -1: no reclaim scope.
    QTest::addColumn<bool>("purged");
    QTest::addColumn<int>("budget");
    QTest::addColumn<int>("free");
    QTest::addColumn<int>("cache");
    QTest::addColumn<int>("inactive");
    QTest::addColumn<int>("blockMib"); // -1: the row's own 650 MB
    QTest::addColumn<PlanBound>("bound");
    const auto reclaimable = PlanBound::Reclaimable;
    const auto budget = PlanBound::Budget;
    // Without the purge, reclaim starts once what is free is taken, then takes the cache.
    QTest::newRow("no purge, large cache") << false << 12000 << 2000 << 4000 << 3000 << 300
                                           << reclaimable;
    QTest::newRow("no purge, budget binds") << false << 5000 << 2000 << 4000 << 3000 << 250
                                            << budget;
    QTest::newRow("no purge, small cache") << false << 12000 << 8000 << 200 << 100 << 0
                                           << reclaimable;
    QTest::newRow("no purge, no cache") << false << 12000 << 1000 << 0 << 0 << 0 << reclaimable;
    QTest::newRow("no purge, budget ends within free memory")
            << false << 4000 << 8000 << 4000 << 4000 << 0 << reclaimable;
    QTest::newRow("no purge, the row binds") << false << 60000 << 2000 << 20000 << 20000 << -1
                                             << PlanBound::Rows;
    // After a purge only the inactive page cache it left.
    QTest::newRow("purged, cache left") << true << 12000 << 2000 << 4000 << 1000 << 50
                                        << reclaimable;
    QTest::newRow("purged, no cache left") << true << 12000 << 6000 << 0 << 0 << 0
                                           << reclaimable;
    QTest::newRow("purged, budget binds") << true << 2000 << 2000 << 6000 << 4000 << 100
                                          << budget;
    QTest::newRow("zero budget") << true << 0 << 10 << 4000 << 4000 << 0 << budget;
    // A system that does not say how it reclaims: the row within the budget.
    QTest::newRow("no scope") << false << 2000 << -1 << 0 << 0 << 100 << budget;
    QTest::newRow("no scope, no limit") << false << -1 << -1 << 0 << 0 << -1 << PlanBound::Rows;
}

void TestOptimizerPlan::blocksFollowWhatCanBeReclaimed()
{
    QFETCH(bool, purged);
    QFETCH(int, budget);
    QFETCH(int, free);
    QFETCH(int, cache);
    QFETCH(int, inactive);
    QFETCH(int, blockMib);
    QFETCH(PlanBound, bound);
    const quint64 mib = 1024 * 1024;
    const OptimizerPlan rows = planOptimization(10000000000ull, 1038);
    std::optional<ReclaimScope> scope;
    if (free >= 0)
        scope = ReclaimScope { free * mib, cache * mib, inactive * mib };
    const BlockPlan plan = planBlocks(
            rows, budget < 0 ? std::nullopt : std::optional<quint64>(budget * mib), scope, purged);
    QCOMPARE(plan.count, 20);
    QCOMPARE(plan.blockSize, blockMib < 0 ? rows.size : blockMib * mib);
    QCOMPARE(plan.bound, bound);
}

QTEST_APPLESS_MAIN(TestOptimizerPlan)
#include "tst_optimizerplan.moc"
