#include "FakePlatform.h"
#include "app/AppController.h"
#include "optimizer/OptimizerController.h"
#include "stats/MemorySampler.h"
#include "benchmark/Benchmark.h"
#include "benchmark/BenchmarkHelpWindow.h"
#include "benchmark/BenchmarkWindow.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <cstdlib>

namespace {

constexpr quint64 MiB = quint64(1) << 20;

struct Alert
{
    QString title;
    QString message;
    bool onMainThread = false;
    bool runningWhileShown = false;
};

// A Benchmark wired to its window, a sampler and a controller over a fake platform, as the
// interface wires them; alerts are recorded instead of shown.
struct BenchFixture
{
    BenchFixture()
    {
        fake = &platform;
        AppController::Parts parts;
        parts.platform = &platform;
        parts.sampler = &sampler;
        parts.optimizer = &optimizer;
        controller = std::make_unique<AppController>(parts);
        benchmark = new Benchmark(controller.get());
        benchmark->totalToAllocate = window.totalField();
        benchmark->numOfAllocations = window.countField();
        benchmark->runTestButton = window.runTestButton();
        benchmark->taskInfo = window.taskInfo();
        benchmark->leftInfo = window.leftInfo();
        benchmark->lastTestInfo = window.lastTestInfo();
        benchmark->thisTestInfo = window.thisTestInfo();
        benchmark->benchmarkHelpWindow = &help;
        benchmark->myWindow = &window;
        benchmark->sampler = &sampler;
        benchmark->platform = &platform;
        controller->setBenchmark(benchmark);
        controller->setWindows(nullptr, nullptr, &window, nullptr);
        QObject::connect(window.runTestButton(), &QPushButton::clicked, benchmark,
                         [this] { benchmark->runTest(); });
        QObject::connect(window.suggestButton(), &QPushButton::clicked, benchmark,
                         [this] { benchmark->suggest(); });
        QObject::connect(window.helpButton(), &QPushButton::clicked, benchmark,
                         [this] { benchmark->showHelp(); });
        benchmark->setAlertPresenter([this](const QString &title, const QString &message) {
            alerts.append({ title, message, QThread::currentThread() == qApp->thread(),
                            benchmark->isRunning() });
        });
    }

    // Presses Run Test with the given inputs and waits for the test's end steps.
    bool runAndWait(const QString &total, const QString &count)
    {
        window.totalField()->setText(total);
        window.countField()->setText(count);
        QSignalSpy finished(benchmark, &Benchmark::testFinished);
        window.runTestButton()->click();
        return finished.wait(60000);
    }

    BenchmarkWindow window;
    BenchmarkHelpWindow help;
    FakePlatform platform;
    FakePlatform *fake = nullptr;
    Kalvoren::MemorySampler sampler { platform };
    Kalvoren::OptimizerController optimizer { platform };
    std::unique_ptr<AppController> controller;
    Benchmark *benchmark = nullptr; // owned by the controller
    QList<Alert> alerts;
};

std::atomic<int> slowPasses { 0 };

void *slowAllocate(std::size_t size)
{
    ++slowPasses;
    QThread::usleep(2000);
    return std::malloc(size);
}

void *failingAllocate(std::size_t size)
{
    return size > 3 * MiB ? nullptr : std::malloc(size);
}

} // namespace

class TestBenchmark : public QObject
{
    Q_OBJECT

private slots:
    void testShowsProgressAndTimeThenIdles();
    void secondTestShowsTheFirstOnesTime();
    void refusalShowsTheAlertOnTheMainThreadWhileTheWorkerWaits();
    void totalAboveAvailableMemoryIsRefused();
    void failedAllocationReportsNoTime();
    void pressWhileRunningCancelsAfterTheCurrentPass();
    void suggestFillsTheTotalWithinTheBound();
    void openingTheWindowSuggests();
    void helpWindowOpensAndCloses();
    void destroyingDuringATestOrAlertDoesNotHang();
};

void TestBenchmark::testShowsProgressAndTimeThenIdles()
{
    BenchFixture f;
    QCOMPARE(f.window.runTestButton()->text(), QStringLiteral("Run Test"));
    f.window.totalField()->setText(QStringLiteral("10"));
    f.window.countField()->setText(QStringLiteral("10"));
    QSignalSpy finished(f.benchmark, &Benchmark::testFinished);
    f.window.runTestButton()->click();
    QVERIFY(f.benchmark->isRunning());
    QCOMPARE(f.window.runTestButton()->text(), QStringLiteral("Cancel Test"));
    QVERIFY(finished.wait(60000));

    QVERIFY(!f.benchmark->isRunning());
    QVERIFY(!f.benchmark->cancelRequest());
    QCOMPARE(f.window.runTestButton()->text(), QStringLiteral("Run Test"));
    QCOMPARE(f.window.taskInfo()->text(), QStringLiteral("Allocate, Use then Free 10240 kB"));
    QCOMPARE(f.window.leftInfo()->text(), QStringLiteral("0"));
    QCOMPARE(f.benchmark->prepLeftInfo(), QStringLiteral("0"));
    QVERIFY(f.benchmark->howmanysecondselapsed() > 0);
    QCOMPARE(f.window.thisTestInfo()->text(),
             QString::asprintf("This test was completed in %f seconds",
                               f.benchmark->howmanysecondselapsed()));
    QVERIFY(f.window.lastTestInfo()->text().isEmpty()); // the first test has no predecessor
    QVERIFY(f.alerts.isEmpty());
}

void TestBenchmark::secondTestShowsTheFirstOnesTime()
{
    BenchFixture f;
    QVERIFY(f.runAndWait(QStringLiteral("4"), QStringLiteral("4")));
    const double first = f.benchmark->howmanysecondselapsed();

    f.window.totalField()->setText(QStringLiteral("0")); // refused: keeps the first time
    QSignalSpy finished(f.benchmark, &Benchmark::testFinished);
    f.window.runTestButton()->click();
    const QString lastText = QString::asprintf("Last test was completed in %f seconds", first);
    QCOMPARE(f.window.lastTestInfo()->text(), lastText);
    QVERIFY(f.window.thisTestInfo()->text().isEmpty());
    QVERIFY(finished.wait(60000));
    QCOMPARE(f.benchmark->howmanysecondselapsed(), first);
    QVERIFY(f.window.thisTestInfo()->text().isEmpty());
    QCOMPARE(f.benchmark->preplastTestInfo(), lastText);
}

void TestBenchmark::refusalShowsTheAlertOnTheMainThreadWhileTheWorkerWaits()
{
    BenchFixture f;
    QVERIFY(f.runAndWait(QStringLiteral("3001"), QStringLiteral("10")));
    QCOMPARE(f.alerts.size(), 1);
    QCOMPARE(f.alerts.first().title, QStringLiteral("Oh, there is a problem"));
    QCOMPARE(f.alerts.first().message,
             QStringLiteral("I cannot proceed with those input values!, try pressing the "
                            "'Suggest' button.\nThe largest total allowed now is 3000 MB."));
    QVERIFY(f.alerts.first().onMainThread);
    QVERIFY(f.alerts.first().runningWhileShown);
    QVERIFY(!f.benchmark->isRunning());
    QCOMPARE(f.window.runTestButton()->text(), QStringLiteral("Run Test"));
    QCOMPARE(f.benchmark->howmanysecondselapsed(), 0.0);
    QVERIFY(f.window.taskInfo()->text().isEmpty());

    QVERIFY(f.runAndWait(QStringLiteral("5"), QStringLiteral("0")));
    QCOMPARE(f.alerts.size(), 2);
}

void TestBenchmark::totalAboveAvailableMemoryIsRefused()
{
    BenchFixture f;
    f.fake->availableBytes = 500 * MiB; // less a 64 MiB reserve: 436 MB
    QCOMPARE(f.benchmark->limitMb(), std::optional<quint32>(436));
    QVERIFY(f.runAndWait(QStringLiteral("437"), QStringLiteral("10")));
    QCOMPARE(f.alerts.size(), 1);
    QVERIFY(f.alerts.first().message.startsWith(QLatin1String("I cannot proceed")));
    QVERIFY(f.alerts.first().message.endsWith(QLatin1String("allowed now is 436 MB.")));
    QVERIFY(f.window.leftInfo()->text().isEmpty());

    QVERIFY(f.runAndWait(QStringLiteral("4"), QStringLiteral("2")));
    QCOMPARE(f.alerts.size(), 1);
    QCOMPARE(f.window.leftInfo()->text(), QStringLiteral("0"));
}

void TestBenchmark::failedAllocationReportsNoTime()
{
    BenchFixture f;
    f.benchmark->setAllocator({ failingAllocate, std::free });
    // Sizes 2, 1 MiB + 2, 2 MiB + 2, then 3 MiB + 2 bytes, the first above the 3 MiB that
    // the allocator grants.
    QVERIFY(f.runAndWait(QStringLiteral("8"), QStringLiteral("8")));
    QCOMPARE(f.alerts.size(), 1);
    QCOMPARE(f.alerts.first().message, QStringLiteral("System refused to allocate 3 MB"));
    QCOMPARE(f.benchmark->howmanysecondselapsed(), 0.0);
    QVERIFY(f.window.thisTestInfo()->text().isEmpty());
    QCOMPARE(f.window.taskInfo()->text(), QStringLiteral("Allocate, Use then Free 3072 kB"));
    QCOMPARE(f.window.runTestButton()->text(), QStringLiteral("Run Test"));
}

void TestBenchmark::pressWhileRunningCancelsAfterTheCurrentPass()
{
    BenchFixture f;
    slowPasses = 0;
    f.benchmark->setAllocator({ slowAllocate, std::free });
    f.window.totalField()->setText(QStringLiteral("1"));
    f.window.countField()->setText(QStringLiteral("100000"));
    QSignalSpy finished(f.benchmark, &Benchmark::testFinished);
    f.window.runTestButton()->click();
    QTRY_VERIFY_WITH_TIMEOUT(slowPasses.load() >= 3, 30000);
    f.window.runTestButton()->click(); // a second press only asks to stop
    QVERIFY(f.benchmark->cancelRequest());
    QVERIFY(finished.wait(30000));
    QCOMPARE(finished.size(), 1);
    QVERIFY(slowPasses.load() < 1000);
    QVERIFY(f.benchmark->howmanysecondselapsed() > 0);
    QVERIFY(f.window.thisTestInfo()->text().startsWith(
            QLatin1String("This test was completed in ")));
    // The left field shows the last pass that ran, far from the end.
    QVERIFY(f.window.leftInfo()->text().toInt() > 90000);
    QCOMPARE(f.window.leftInfo()->text().toInt(), 100000 - slowPasses.load() + 1);
    QVERIFY(!f.benchmark->cancelRequest());
    QVERIFY(!f.benchmark->isRunning());
}

void TestBenchmark::suggestFillsTheTotalWithinTheBound()
{
    BenchFixture f;
    f.window.countField()->setText(QStringLiteral("77"));
    f.fake->freeBytes = 500 * MiB;
    f.fake->inactiveBytes = 500 * MiB;
    f.sampler.sampleNow();
    f.window.suggestButton()->click();
    QCOMPARE(f.window.totalField()->text(), QStringLiteral("800"));
    QCOMPARE(f.window.countField()->text(), QStringLiteral("77"));

    f.fake->freeBytes = 3000 * MiB;
    f.fake->inactiveBytes = 1000 * MiB;
    f.sampler.sampleNow();
    f.benchmark->suggest();
    QCOMPARE(f.window.totalField()->text(), QStringLiteral("3000"));

    // Free and inactive memory the kernel cannot hand out without killing: the bound wins.
    f.fake->availableBytes = 1000 * MiB; // less the 64 MiB reserve
    f.benchmark->suggest();
    QCOMPARE(f.window.totalField()->text(), QStringLiteral("936"));
    QVERIFY(f.runAndWait(f.window.totalField()->text(), QStringLiteral("1")));
    QVERIFY(f.alerts.isEmpty());
}

void TestBenchmark::openingTheWindowSuggests()
{
    BenchFixture f;
    f.fake->freeBytes = 100 * MiB;
    f.fake->inactiveBytes = 150 * MiB;
    f.sampler.sampleNow();
    QVERIFY(f.window.totalField()->text().isEmpty());
    f.controller->showBenchmarkWindow();
    QVERIFY(f.window.isVisible());
    QCOMPARE(f.window.totalField()->text(), QStringLiteral("200"));
}

void TestBenchmark::helpWindowOpensAndCloses()
{
    BenchFixture f;
    f.window.helpButton()->click();
    QVERIFY(f.help.isVisible());
    f.benchmark->closeHelp();
    QVERIFY(!f.help.isVisible());
}

void TestBenchmark::destroyingDuringATestOrAlertDoesNotHang()
{
    {
        BenchFixture f;
        f.benchmark->setAllocator({ slowAllocate, std::free });
        f.window.totalField()->setText(QStringLiteral("1"));
        f.window.countField()->setText(QStringLiteral("100000"));
        f.benchmark->runTest();
        QThread::msleep(20);
        delete f.benchmark; // cancels and waits for the current pass
    }
    {
        // The worker asks for its alert while the main thread never returns to the event
        // loop: destroying the benchmark must release it rather than wait for ever.
        BenchFixture f;
        f.window.totalField()->setText(QStringLiteral("0"));
        f.benchmark->runTest();
        QThread::msleep(20);
        delete f.benchmark;
        QVERIFY(f.alerts.isEmpty());
    }
}

QTEST_MAIN(TestBenchmark)
#include "tst_benchmark.moc"
