#include "FakePlatform.h"

#include "processes/TopMonitor.h"
#include "processes/TopObject.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

using namespace Kalvoren;

namespace {

void refreshWith(TopMonitor &monitor, FakePlatform &platform, const QByteArray &text)
{
    platform.setText(text);
    monitor.updateTop();
    // updateReady is the worker's to set; applyLines is what poll does with the snapshot.
    monitor.applyLines(processRowsFromTopText(text));
}

} // namespace

class TestTopMonitor : public QObject
{
    Q_OBJECT

private slots:
    void rowCountsAfterRefresh_data()
    {
        QTest::addColumn<int>("processLines");
        QTest::addColumn<int>("rows");
        // 12 lines or fewer keep the previous rows (5 from the first refresh).
        QTest::newRow("header only keeps old rows") << 0 << 5;
        QTest::newRow("13 lines: one row") << 1 << 1;
        QTest::newRow("112 lines: 100 rows") << 100 << 100;
    }
    void rowCountsAfterRefresh()
    {
        QFETCH(int, processLines);
        FakePlatform platform;
        TopMonitor monitor(&platform);
        QAbstractItemModelTester tester(&monitor,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        refreshWith(monitor, platform, FakePlatform::topWithCount(5, 900));
        refreshWith(monitor, platform, FakePlatform::topWithCount(processLines));
        QTEST(int(monitor.topItems().size()), "rows");
        QCOMPARE(monitor.rowCount(), int(monitor.topItems().size()));
        if (processLines > 0) {
            QCOMPARE(monitor.topItems().front()->pid(), QStringLiteral("100"));
            QCOMPARE(monitor.topItems().back()->pid(), QString::number(100 + processLines - 1));
        } else {
            QCOMPARE(monitor.topItems().front()->pid(), QStringLiteral("900"));
        }
    }

    void rowsAreReusedByPosition()
    {
        FakePlatform platform;
        TopMonitor monitor(&platform);
        QAbstractItemModelTester tester(&monitor,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        refreshWith(monitor, platform, FakePlatform::topWithCount(120));
        std::vector<const TopObject *> before;
        for (const auto &row : monitor.topItems())
            before.push_back(row.get());
        refreshWith(monitor, platform, FakePlatform::topWithCount(50, 5000));
        QCOMPARE(monitor.topItems().size(), size_t(50));
        for (size_t i = 0; i < 50; ++i) {
            QCOMPARE(monitor.topItems()[i].get(), before[i]);
            QCOMPARE(monitor.topItems()[i]->pid(), QString::number(5000 + int(i)));
        }
        // Growing again keeps the first 50 objects and adds new ones after them.
        refreshWith(monitor, platform, FakePlatform::topWithCount(60, 7000));
        QCOMPARE(monitor.topItems()[49].get(), before[49]);
        QCOMPARE(monitor.topItems()[59]->pid(), QStringLiteral("7059"));
    }

    void pollReloadsOncePerFinishedRefresh()
    {
        FakePlatform platform;
        TopMonitor monitor(&platform);
        QSignalSpy refreshed(&monitor, &TopMonitor::refreshed);
        QVERIFY(!monitor.poll()); // nothing has finished yet
        QCOMPARE(refreshed.count(), 0);
        platform.setText(FakePlatform::topWithCount(3));
        monitor.start();
        // The monitor's own timer polls while the test waits.
        QTRY_COMPARE_WITH_TIMEOUT(refreshed.count(), 1, 5000);
        QCOMPARE(monitor.rowCount(), 3);
        // The worker sleeps two seconds between refreshes; the ticks meanwhile reload nothing.
        QTest::qWait(3 * TopMonitor::pollIntervalMs);
        QCOMPARE(refreshed.count(), 1);
        QCOMPARE(int(platform.topCalls), 1);
        monitor.stop();
        QVERIFY(!monitor.isRunning());
    }

    void workerStopsPromptlyInItsSleep()
    {
        FakePlatform platform;
        platform.setText(FakePlatform::topWithCount(2));
        TopMonitor monitor(&platform);
        monitor.start();
        QTRY_VERIFY_WITH_TIMEOUT(platform.topCalls >= 1, 5000);
        QVERIFY(monitor.isRunning());
        // The worker now sleeps two seconds; stop must wake it, not wait it out. The check is
        // only that stop returns and the thread is gone, so a stuck worker hangs the test.
        monitor.stop();
        QVERIFY(!monitor.isRunning());
        const int calls = platform.topCalls;
        QTest::qWait(50);
        QCOMPARE(int(platform.topCalls), calls);
    }

    void failedRefreshKeepsRowsAndSaysSo()
    {
        FakePlatform platform;
        TopMonitor monitor(&platform);
        refreshWith(monitor, platform, FakePlatform::topWithCount(4));
        QSignalSpy status(&monitor, &TopMonitor::statusMessage);
        platform.setText(QByteArray());
        monitor.start();
        QTRY_VERIFY_WITH_TIMEOUT(status.count() > 0, 5000);
        monitor.stop();
        QVERIFY(status.last().first().toString().contains(QStringLiteral("fake top failed")));
        QCOMPARE(monitor.rowCount(), 4);
    }

    void cellsByColumnIdentifier()
    {
        FakePlatform platform;
        TopMonitor monitor(&platform);
        refreshWith(monitor, platform, FakePlatform::topWith({ { 300, "Web  Content" } }));
        QCOMPARE(monitor.cellValue(QStringLiteral("0"), 0).toString(), QStringLiteral("9216K"));
        QCOMPARE(monitor.cellValue(QStringLiteral("1"), 0).toString(),
                 QStringLiteral("Web Content"));
        QCOMPARE(monitor.cellValue(QStringLiteral("size"), 0).toString(), QStringLiteral("9216K"));
        QVERIFY(!monitor.cellValue(QStringLiteral("2"), 0).isValid());
        QVERIFY(!monitor.cellValue(QStringLiteral("0"), 1).isValid());
        QCOMPARE(monitor.data(monitor.index(0, 1)).toString(), QStringLiteral("Web Content"));
        // Edits are discarded.
        QVERIFY(!monitor.setData(monitor.index(0, 1), QStringLiteral("x"), Qt::EditRole));
        QCOMPARE(monitor.topItems()[0]->command(), QStringLiteral("Web Content"));
        QVERIFY(!(monitor.flags(monitor.index(0, 1)) & Qt::ItemIsEditable));
    }

    void selectionFollowsTheProcessThatMoved()
    {
        FakePlatform platform;
        TopMonitor monitor(&platform);
        refreshWith(monitor, platform,
                    FakePlatform::topWith({ { 10, "a" }, { 20, "b" }, { 30, "c" } }));
        monitor.selectRow(1);
        QCOMPARE(monitor.selectedPid(), QStringLiteral("20"));
        // b grew past a and c: it is now the first row, and row 1 shows someone else.
        refreshWith(monitor, platform,
                    FakePlatform::topWith({ { 20, "b" }, { 30, "c" }, { 10, "a" } }));
        const QModelIndexList selected = monitor.selectionModel()->selectedRows();
        QCOMPARE(selected.size(), 1);
        QCOMPARE(selected.first().row(), 0);
        QCOMPARE(monitor.selectedPid(), QStringLiteral("20"));
        // The quit lands on b, the process the user picked.
        monitor.onForceQuitProcess();
        monitor.onQuitProcess();
        QCOMPARE(platform.requests, QStringList({ "force 20", "quit 20" }));
    }

    void selectionClearsWhenTheProcessEnds()
    {
        FakePlatform platform;
        TopMonitor monitor(&platform);
        refreshWith(monitor, platform, FakePlatform::topWith({ { 10, "a" }, { 20, "b" } }));
        monitor.selectRow(1);
        QSignalSpy status(&monitor, &TopMonitor::statusMessage);
        refreshWith(monitor, platform, FakePlatform::topWith({ { 10, "a" }, { 40, "d" } }));
        QVERIFY(monitor.selectionModel()->selectedRows().isEmpty());
        QVERIFY(monitor.selectedPid().isEmpty());
        QCOMPARE(status.count(), 1);
        QVERIFY(status.first().first().toString().contains(QStringLiteral("pid 20")));
        // The actions say so instead of acting on row 1 (now d).
        const ProcessActionResult result = monitor.onForceQuitProcess();
        QVERIFY(!result.ok());
        QVERIFY(result.message.contains(QStringLiteral("b (pid 20)")));
        QVERIFY(platform.requests.isEmpty());
    }

    void actionsWithoutSelectionAskForOne()
    {
        FakePlatform platform;
        TopMonitor monitor(&platform);
        refreshWith(monitor, platform, FakePlatform::topWithCount(3));
        QSignalSpy status(&monitor, &TopMonitor::statusMessage);
        QCOMPARE(monitor.onQuitProcess().status, ProcessActionStatus::InvalidPid);
        QCOMPARE(status.count(), 1);
        QVERIFY(platform.requests.isEmpty());
    }

    void failuresReachTheStatusLine()
    {
        FakePlatform platform;
        TopMonitor monitor(&platform);
        refreshWith(monitor, platform, FakePlatform::topWithCount(3));
        monitor.selectRow(2);
        QSignalSpy status(&monitor, &TopMonitor::statusMessage);
        const ProcessActionResult result = monitor.onForceQuitProcess();
        QCOMPARE(result.status, ProcessActionStatus::NotPermitted);
        QCOMPARE(status.count(), 1);
        QCOMPARE(status.first().first().toString(), QStringLiteral("not permitted 102"));
    }
};

QTEST_GUILESS_MAIN(TestTopMonitor)
#include "tst_topmonitor.moc"
