#include "app/AppController.h"
#include "app/Interface.h"
#include "app/MainWindow.h"
#include "benchmark/Benchmark.h"
#include "optimizer/OptimizerController.h"
#include "platform/Platform.h"
#include "processes/ProcessWindow.h"
#include "processes/TopMonitor.h"
#include "stats/MemorySampler.h"

#include <QLineEdit>

#include <QFile>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>

#include <cmath>
#include <condition_variable>
#include <cstdlib>
#include <mutex>

using namespace Kalvoren;

namespace {

constexpr quint64 mib = 1024 * 1024;

// The captured vm_stat text, a purge that only counts, and a small fixed room, so a run
// takes 20 blocks of a few MiB whatever machine the test runs on.
class FakePlatform : public Platform
{
public:
    std::atomic<int> purges { 0 };

    QString name() const override { return QStringLiteral("fake"); }
    double frameworkVersion() const override { return 1038.0; }
    std::optional<MemorySample> readMemory(PlatformError *) override
    {
        QFile file(QStringLiteral(KALVOREN_TEST_DATA "/vm_stat/facter4-macos-intel-4k.txt"));
        if (!file.open(QIODevice::ReadOnly))
            return std::nullopt;
        return sampleFromVmStat(QString::fromLatin1(file.readAll()), VmStatPattern::EightGroups);
    }
    std::optional<QList<ProcessRow>> readProcesses(PlatformError *) override
    {
        ProcessRow row;
        row.pid = 42;
        row.residentBytes = 4096;
        row.command = QStringLiteral("sleep");
        return QList<ProcessRow> { row };
    }
    PurgeResult purge(PurgeElevation) override
    {
        ++purges;
        return { PurgeOutcome::Done, QString() };
    }
    std::optional<MemoryRoom> memoryRoom() override
    {
        MemoryRoom room;
        room.limitBytes = 1024 * mib;        // reserve 128 MiB
        room.availableBytes = 168 * mib;     // budget 40 MiB: 2 MiB blocks
        room.boundBy = QStringLiteral("fake");
        return room;
    }
};

// Holds the run inside the allocation of one block until the test opens the gate.
struct Gate
{
    std::mutex mutex;
    std::condition_variable changed;
    int holdAt = -1;
    bool waiting = false;
    bool open = false;
    std::atomic<int> allocated { 0 };
    std::atomic<int> freed { 0 };

    BlockAllocator allocator()
    {
        return { [this](std::size_t size) {
                    const int index = allocated++;
                    std::unique_lock<std::mutex> lock(mutex);
                    if (index == holdAt) {
                        waiting = true;
                        changed.notify_all();
                        changed.wait(lock, [this] { return open; });
                    }
                    return std::malloc(size);
                },
                 [this](void *block) {
                     ++freed;
                     std::free(block);
                 } };
    }
    bool isWaiting()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return waiting;
    }
    void release()
    {
        std::lock_guard<std::mutex> lock(mutex);
        open = true;
        changed.notify_all();
    }
};

} // namespace

class TestAppControllerOptimizer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init();
    void cleanup();
    void runShowsCancelThenOptimizeMemory();
    void pressDuringRunCancelsBetweenBlocks();
    void quittingWithEveryWorkerRunningCancelsAndJoinsThem();

private:
    std::unique_ptr<Interface> m_ui;
    FakePlatform *m_platform = nullptr;
    Gate *m_gate = nullptr;
};

void TestAppControllerOptimizer::init()
{
    auto platform = std::make_unique<FakePlatform>();
    m_platform = platform.get();
    m_ui = createInterface(std::move(platform));
    m_gate = new Gate;
}

void TestAppControllerOptimizer::cleanup()
{
    if (m_gate)
        m_gate->release();
    m_ui.reset();
    delete m_gate;
    m_gate = nullptr;
}

void TestAppControllerOptimizer::runShowsCancelThenOptimizeMemory()
{
    AppController *c = m_ui->controller.get();
    QPushButton *button = m_ui->mainWindow->mainButton();
    QProgressBar *bar = m_ui->mainWindow->progress();
    m_gate->holdAt = 10;
    c->setBlockAllocator(m_gate->allocator());
    QCOMPARE(button->text(), QStringLiteral("Optimize Memory"));

    // Started as the notice's OK (or a press with the notice hidden) starts it.
    c->startOptimization();
    QCOMPARE(button->text(), QStringLiteral("Cancel"));
    QVERIFY(c->optimizationRunning());
    QVERIFY(!bar->isHidden());

    // Half-way, the bar shows the bytes touched so far against the bytes the budget lets
    // the run take, so that it ends full: ten blocks of 2 MiB of twenty.
    QTRY_VERIFY(m_gate->isWaiting());
    QCOMPARE(m_ui->optimizer->plannedBytes(), 20 * 2 * mib);
    QCOMPARE(m_ui->optimizer->touchedBytes(), 10 * 2 * mib);
    QTRY_VERIFY(bar->value() > 0);
    QVERIFY(bar->value() < MainWindow::progressScale);
    QCOMPARE(button->text(), QStringLiteral("Cancel"));
    QCOMPARE(m_platform->purges.load(), 1);

    m_gate->release();
    QTRY_COMPARE(button->text(), QStringLiteral("Optimize Memory"));
    QVERIFY(!c->optimizationRunning());
    QVERIFY(bar->isHidden());
    const OptimizerResult result = c->lastOptimizerResult();
    QCOMPARE(result.blocksTaken, 20);
    QCOMPARE(result.blockSize, 2 * mib);
    QCOMPARE(m_gate->freed.load(), 20);
    // S from the figures the window showed: free (with speculative) and inactive of the capture.
    const MemoryFigures f = m_ui->sampler->latestFigures();
    const double s = std::trunc(double(f.Free)) + std::trunc(double(f.Inactive));
    QVERIFY(s > 10e9); // more than 4 GiB: nothing wraps
    QCOMPARE(result.plan.progressMaximum, 2 * s);
    // The bar ends full: what was planned was touched.
    QCOMPARE(bar->value(), MainWindow::progressScale);
}

void TestAppControllerOptimizer::pressDuringRunCancelsBetweenBlocks()
{
    AppController *c = m_ui->controller.get();
    QPushButton *button = m_ui->mainWindow->mainButton();
    m_gate->holdAt = 3;
    c->setBlockAllocator(m_gate->allocator());

    c->startOptimization();
    QTRY_VERIFY(m_gate->isWaiting());
    button->click(); // the press during a run
    QVERIFY(m_ui->optimizer->cancelRequested());
    QCOMPARE(button->text(), QStringLiteral("Cancel"));
    m_gate->release();

    QTRY_COMPARE(button->text(), QStringLiteral("Optimize Memory"));
    QVERIFY(!m_ui->optimizer->cancelRequested());
    QVERIFY(!c->optimizationRunning());
    const OptimizerResult result = c->lastOptimizerResult();
    QVERIFY(result.cancelled);
    QCOMPARE(result.blocksTaken, 4); // the block being taken is finished, no fifth
    QCOMPARE(m_gate->freed.load(), 4);

    // The next start is a fresh run.
    m_gate->holdAt = -1;
    c->startOptimization();
    QCOMPARE(button->text(), QStringLiteral("Cancel"));
    QTRY_COMPARE(button->text(), QStringLiteral("Optimize Memory"));
    QCOMPARE(c->lastOptimizerResult().blocksTaken, 20);
    QVERIFY(!c->lastOptimizerResult().cancelled);
}

void TestAppControllerOptimizer::quittingWithEveryWorkerRunningCancelsAndJoinsThem()
{
    AppController *c = m_ui->controller.get();
    m_gate->holdAt = 2;
    c->setBlockAllocator(m_gate->allocator());
    c->startOptimization();
    QTRY_VERIFY(m_gate->isWaiting());
    // The process monitor's worker runs while its window is open, and a long benchmark.
    m_ui->processWindow->show();
    QTRY_VERIFY(m_ui->topMonitor->isRunning());
    m_ui->benchmark->totalToAllocate->setText(QStringLiteral("1"));
    m_ui->benchmark->numOfAllocations->setText(QStringLiteral("2000000"));
    m_ui->benchmark->runTest();
    QVERIFY(m_ui->benchmark->isRunning());

    // Quitting: every worker is told to stop and waited for; the run frees its blocks.
    std::thread opener([gate = m_gate] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        gate->release();
    });
    m_ui.reset();
    opener.join();
    QCOMPARE(m_gate->allocated.load(), 3);
    QCOMPARE(m_gate->freed.load(), 3);
}

QTEST_MAIN(TestAppControllerOptimizer)
#include "tst_appcontroller_optimizer.moc"
