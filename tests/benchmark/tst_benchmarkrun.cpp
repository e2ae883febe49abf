#include "benchmark/BenchmarkPlan.h"
#include "benchmark/BenchmarkRun.h"

#include <QTest>

#include <cstring>
#include <limits>
#include <new>
#include <vector>

using namespace Kalvoren;

namespace {

constexpr quint64 MiB = quint64(1) << 20;

// Records every report of a test, and can cancel after a given pass.
struct Recorder : BenchmarkObserver
{
    void passStarting(quint64 size) override
    {
        sizes.push_back(size);
        tasks.append(benchmarkTaskText(size));
    }
    void passFinished(qint32 left) override
    {
        lefts.append(benchmarkLeftText(left));
        if (cancelAfter > 0 && lefts.size() == cancelAfter && cancel)
            cancel->store(true);
    }
    void problem(const QString &message) override { problems.append(message); }

    std::vector<quint64> sizes;
    QStringList tasks;
    QStringList lefts;
    QStringList problems;
    qsizetype cancelAfter = 0;
    std::atomic<bool> *cancel = nullptr;
};

// An allocator that checks what each pass wrote into its block, and can fail at a size.
struct CheckingAllocator
{
    static inline quint64 failAt = 0;
    static inline int blocksChecked = 0;
    static inline int badBlocks = 0;
    static inline std::vector<std::size_t> sizes;

    static void *allocate(std::size_t size)
    {
        if (failAt != 0 && size >= failAt)
            return nullptr;
        sizes.push_back(size);
        return std::malloc(size);
    }
    static void release(void *block)
    {
        const std::size_t size = sizes.back();
        const auto *bytes = static_cast<const unsigned char *>(block);
        bool ok = bytes[0] == 0 && bytes[size / 2] == 0 && bytes[size - 1] == 0;
        for (std::size_t i = 1; ok && i < size - 1; ++i) {
            if (i != size / 2 && bytes[i] != 0xFF)
                ok = false;
        }
        ++blocksChecked;
        if (!ok)
            ++badBlocks;
        std::free(block);
    }
    static void reset()
    {
        failAt = 0;
        blocksChecked = 0;
        badBlocks = 0;
        sizes.clear();
    }
};

struct Throwing : BenchmarkObserver
{
    void passStarting(quint64) override { throw std::bad_alloc(); }
    void problem(const QString &message) override { problems.append(message); }
    QStringList problems;
};

} // namespace

class TestBenchmarkRun : public QObject
{
    Q_OBJECT

private slots:
    void tenMegabytesInTenAllocations();
    void oneMegabyteInTwoThousandAllocationsRestartsAtTwo();
    void largeCountKeepsTheOneKilobyteStep();
    void negativeCountRunsNoPass();
    void refusals_data();
    void refusals();
    void failingAllocationIsReportedWithoutTime();
    void cancelStopsAfterTheCurrentPass();
    void exceptionBecomesAProblemText();
    void everyPassFillsItsBlock();
    void suggestion_data();
    void suggestion();
    void limitLeavesAReserve();
    void inputsReadLikeNumberFields();
};

void TestBenchmarkRun::tenMegabytesInTenAllocations()
{
    const BenchmarkPlan plan = planBenchmark({ 10, 10 });
    QCOMPARE(plan.step, quint64(1048576));
    QCOMPARE(plan.passCount(), 11);

    Recorder recorder;
    std::atomic<bool> cancel { false };
    const BenchmarkResult result = runBenchmark({ 10, 10 }, std::nullopt, cancel, recorder);
    QCOMPARE(result.outcome, BenchmarkOutcome::Completed);
    QCOMPARE(result.passesRun, 11);
    QVERIFY(result.seconds >= 0);
    std::vector<quint64> expected;
    for (quint64 k = 0; k < 10; ++k)
        expected.push_back(2 + k * 1048576);
    expected.push_back(10485760);
    QCOMPARE(recorder.sizes, expected);
    QCOMPARE(recorder.sizes.at(9), quint64(9437186));
    QCOMPARE(recorder.tasks.first(), QStringLiteral("Allocate, Use then Free 0 kB"));
    QCOMPARE(recorder.tasks.at(1), QStringLiteral("Allocate, Use then Free 1024 kB"));
    QCOMPARE(recorder.tasks.at(9), QStringLiteral("Allocate, Use then Free 9216 kB"));
    QCOMPARE(recorder.tasks.last(), QStringLiteral("Allocate, Use then Free 10240 kB"));
    QCOMPARE(recorder.lefts,
             QStringList({ "10", "9", "8", "7", "6", "5", "4", "3", "2", "1", "0" }));
    QVERIFY(recorder.problems.isEmpty());
}

void TestBenchmarkRun::oneMegabyteInTwoThousandAllocationsRestartsAtTwo()
{
    const BenchmarkPlan plan = planBenchmark({ 1, 2000 });
    QCOMPARE(plan.step, quint64(1024));

    Recorder recorder;
    std::atomic<bool> cancel { false };
    const BenchmarkResult result = runBenchmark({ 1, 2000 }, std::nullopt, cancel, recorder);
    QCOMPARE(result.outcome, BenchmarkOutcome::Completed);
    QCOMPARE(qsizetype(recorder.sizes.size()), 2001);
    QCOMPARE(recorder.sizes.at(0), quint64(2));
    QCOMPARE(recorder.sizes.at(1), quint64(1026));
    QCOMPARE(recorder.sizes.at(1023), quint64(2 + 1023 * 1024));
    QCOMPARE(recorder.sizes.at(1024), quint64(1048576)); // pass 1025: capped at the total
    QCOMPARE(recorder.sizes.at(1025), quint64(2));       // pass 1026: starts again
    QCOMPARE(recorder.sizes.at(1026), quint64(1026));
    QCOMPARE(recorder.lefts.first(), QStringLiteral("2000"));
    QCOMPARE(recorder.lefts.last(), QStringLiteral("0"));
}

void TestBenchmarkRun::largeCountKeepsTheOneKilobyteStep()
{
    // 5,000,000 kB is more than 1000 MB, so the step is 1 kB; a 32-bit product of the count
    // and 1024 would wrap and give 209-byte steps.
    QCOMPARE(planBenchmark({ 1000, 5000000 }).step, quint64(1024));
    QCOMPARE(planBenchmark({ 3000, 1 }).step, quint64(3000) * MiB);
    // The largest total still ends exactly at the total, without overflowing.
    const BenchmarkPlan plan = planBenchmark({ 3000, 7 });
    quint64 size = benchmarkFirstSize;
    for (int pass = 0; pass < 7; ++pass)
        size = plan.nextSize(size);
    QCOMPARE(size, quint64(3000) * MiB);
    QCOMPARE(plan.nextSize(size), benchmarkFirstSize);
}

void TestBenchmarkRun::negativeCountRunsNoPass()
{
    const BenchmarkInputs inputs = benchmarkInputsFromTexts(u"10", u"-5");
    QVERIFY(benchmarkInputsAccepted(inputs, std::nullopt));
    Recorder recorder;
    std::atomic<bool> cancel { false };
    const BenchmarkResult result = runBenchmark(inputs, std::nullopt, cancel, recorder);
    QCOMPARE(result.outcome, BenchmarkOutcome::Completed);
    QCOMPARE(result.passesRun, 0);
    QVERIFY(recorder.sizes.empty());
    QVERIFY(result.seconds < 1.0);
    QVERIFY(recorder.problems.isEmpty());
}

void TestBenchmarkRun::refusals_data()
{
    QTest::addColumn<QString>("total");
    QTest::addColumn<QString>("count");
    QTest::addColumn<int>("limit"); // -1: no limit known
    QTest::addColumn<int>("largest"); // the largest total the refusal names
    QTest::newRow("total 0") << "0" << "10" << -1 << 3000;
    QTest::newRow("count 0") << "10" << "0" << -1 << 3000;
    QTest::newRow("total above 3000") << "3001" << "10" << -1 << 3000;
    QTest::newRow("negative total") << "-1" << "10" << -1 << 3000;
    QTest::newRow("total not a number") << "lots" << "10" << -1 << 3000;
    QTest::newRow("count not a number") << "10" << "many" << -1 << 3000;
    QTest::newRow("total above available") << "801" << "10" << 800 << 800;
    QTest::newRow("nothing available") << "1" << "10" << 0 << 0;
    QTest::newRow("more available than 3000") << "3001" << "10" << 4000 << 3000;
}

void TestBenchmarkRun::refusals()
{
    QFETCH(QString, total);
    QFETCH(QString, count);
    QFETCH(int, limit);
    QFETCH(int, largest);
    const std::optional<quint32> limitMb =
            limit < 0 ? std::nullopt : std::optional<quint32>(quint32(limit));
    CheckingAllocator::reset();
    Recorder recorder;
    std::atomic<bool> cancel { false };
    const BenchmarkResult result =
            runBenchmark(benchmarkInputsFromTexts(total, count), limitMb, cancel, recorder,
                         { CheckingAllocator::allocate, CheckingAllocator::release });
    QCOMPARE(result.outcome, BenchmarkOutcome::Refused);
    QVERIFY(!result.timed());
    QCOMPARE(recorder.problems,
             QStringList({ QStringLiteral("I cannot proceed with those input values!, try "
                                          "pressing the 'Suggest' button.\nThe largest total "
                                          "allowed now is %1 MB.").arg(largest) }));
    QVERIFY(recorder.sizes.empty());
    QCOMPARE(CheckingAllocator::blocksChecked, 0);
}

void TestBenchmarkRun::failingAllocationIsReportedWithoutTime()
{
    CheckingAllocator::reset();
    CheckingAllocator::failAt = 5 * MiB;
    Recorder recorder;
    std::atomic<bool> cancel { false };
    const BenchmarkResult result =
            runBenchmark({ 10, 10 }, std::nullopt, cancel, recorder,
                         { CheckingAllocator::allocate, CheckingAllocator::release });
    QCOMPARE(result.outcome, BenchmarkOutcome::AllocationFailed);
    QVERIFY(!result.timed());
    // Passes of 2 B ... 4 MB ran; the one of 5,242,882 bytes (5 MB rounded down) failed.
    QCOMPARE(result.passesRun, 5);
    QCOMPARE(recorder.problems, QStringList({ "System refused to allocate 5 MB" }));
    QCOMPARE(recorder.lefts.size(), 5);
    QCOMPARE(CheckingAllocator::badBlocks, 0);
}

void TestBenchmarkRun::cancelStopsAfterTheCurrentPass()
{
    Recorder recorder;
    std::atomic<bool> cancel { false };
    recorder.cancel = &cancel;
    recorder.cancelAfter = 3;
    const BenchmarkResult result = runBenchmark({ 10, 10 }, std::nullopt, cancel, recorder);
    QCOMPARE(result.outcome, BenchmarkOutcome::Cancelled);
    QVERIFY(result.timed());
    QCOMPARE(result.passesRun, 3);
    QCOMPARE(recorder.lefts, QStringList({ "10", "9", "8" }));

    // A request already standing when the test starts runs no pass at all.
    Recorder idle;
    const BenchmarkResult none = runBenchmark({ 10, 10 }, std::nullopt, cancel, idle);
    QCOMPARE(none.outcome, BenchmarkOutcome::Cancelled);
    QCOMPARE(none.passesRun, 0);
}

void TestBenchmarkRun::exceptionBecomesAProblemText()
{
    Throwing observer;
    std::atomic<bool> cancel { false };
    const BenchmarkResult result = runBenchmark({ 1, 1 }, std::nullopt, cancel, observer);
    QCOMPARE(result.outcome, BenchmarkOutcome::Failed);
    QCOMPARE(observer.problems.size(), 1);
    QVERIFY2(observer.problems.first().startsWith(QLatin1String("Exception std::bad_alloc, Reason ")),
             qPrintable(observer.problems.first()));
    QVERIFY(observer.problems.first().endsWith(QLatin1String(", ")));
}

void TestBenchmarkRun::everyPassFillsItsBlock()
{
    CheckingAllocator::reset();
    Recorder recorder;
    std::atomic<bool> cancel { false };
    runBenchmark({ 2, 5 }, std::nullopt, cancel, recorder,
                 { CheckingAllocator::allocate, CheckingAllocator::release });
    QCOMPARE(CheckingAllocator::blocksChecked, 6);
    QCOMPARE(CheckingAllocator::badBlocks, 0);
    // The sizes the allocator saw are the sizes reported.
    QCOMPARE(CheckingAllocator::sizes.size(), recorder.sizes.size());
    for (std::size_t i = 0; i < recorder.sizes.size(); ++i)
        QCOMPARE(quint64(CheckingAllocator::sizes[i]), recorder.sizes[i]);
}

void TestBenchmarkRun::suggestion_data()
{
    QTest::addColumn<double>("freeMb");
    QTest::addColumn<double>("inactiveMb");
    QTest::addColumn<int>("limit"); // -1: none
    QTest::addColumn<uint>("expected");
    QTest::newRow("500 + 500 MB") << 500.0 << 500.0 << -1 << 800u;
    QTest::newRow("4000 MB") << 3000.0 << 1000.0 << -1 << 3000u;
    QTest::newRow("rounds half up") << 0.0 << 1.875 << -1 << 2u; // 1.5 MB
    QTest::newRow("nothing") << 0.0 << 0.0 << -1 << 0u;
    QTest::newRow("bounded by available") << 500.0 << 500.0 << 600 << 600u;
    QTest::newRow("bound above proposal") << 500.0 << 500.0 << 2000 << 800u;
    QTest::newRow("bound 0") << 500.0 << 500.0 << 0 << 0u;
}

void TestBenchmarkRun::suggestion()
{
    QFETCH(double, freeMb);
    QFETCH(double, inactiveMb);
    QFETCH(int, limit);
    QFETCH(uint, expected);
    const std::optional<quint32> limitMb =
            limit < 0 ? std::nullopt : std::optional<quint32>(quint32(limit));
    const quint32 total = suggestedTotalMb(float(freeMb * MiB), float(inactiveMb * MiB), limitMb);
    QCOMPARE(total, quint32(expected));
    // Whatever it proposes is accepted with any count (a proposal of 0 is not a total).
    if (total > 0)
        QVERIFY(benchmarkInputsAccepted({ total, 10 }, limitMb));
}

void TestBenchmarkRun::limitLeavesAReserve()
{
    QCOMPARE(benchmarkLimitMb(std::nullopt), std::optional<quint32>());
    const auto room = [](quint64 availableMb, quint64 limitMb) {
        return std::optional<MemoryRoom>(MemoryRoom { availableMb * MiB, limitMb * MiB, {} });
    };
    // An eighth of the binding limit is held back ...
    QCOMPARE(benchmarkLimitMb(room(1000, 1024)), std::optional<quint32>(872));
    // ... at least 32 MiB and at most 1 GiB ...
    QCOMPARE(benchmarkLimitMb(room(100, 128)), std::optional<quint32>(68));
    QCOMPARE(benchmarkLimitMb(room(2048, 64 * 1024)), std::optional<quint32>(1024));
    QCOMPARE(benchmarkLimitMb(room(20, 128)), std::optional<quint32>(0));
    // ... and no bound goes past the largest total.
    QCOMPARE(benchmarkLimitMb(room(60000, 64 * 1024)), std::optional<quint32>(3000));
}

void TestBenchmarkRun::inputsReadLikeNumberFields()
{
    const BenchmarkInputs inputs = benchmarkInputsFromTexts(u" 12 MB", u"3x");
    QCOMPARE(inputs.totalMb, 12u);
    QCOMPARE(inputs.numAlloc, 3u);
    // A negative total is a huge unsigned number, which the check refuses.
    QCOMPARE(benchmarkInputsFromTexts(u"-1", u"1").totalMb, std::numeric_limits<quint32>::max());
}

QTEST_GUILESS_MAIN(TestBenchmarkRun)
#include "tst_benchmarkrun.moc"
