#include "FakePlatform.h"

#include "processes/ProcessWindow.h"
#include "processes/TopMonitor.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

using namespace Kalvoren;

class TestProcessWindow : public QObject
{
    Q_OBJECT

private slots:
    void monitorRunsOnlyWhileTheWindowIsShown()
    {
        FakePlatform platform;
        platform.setText(FakePlatform::topWith({ { 10, "a" }, { 20, "b" } }));
        TopMonitor monitor(&platform);
        ProcessWindow window(&monitor);
        QTest::qWait(100);
        QVERIFY(!monitor.isRunning());
        QCOMPARE(int(platform.topCalls), 0);
        window.show();
        QVERIFY(monitor.isRunning());
        QTRY_COMPARE_WITH_TIMEOUT(window.theTableView()->model()->rowCount(), 2, 5000);
        QVERIFY(window.statusLine()->text().isEmpty());
        // Closed, it stops scanning; opened again, it scans again.
        window.hide();
        QVERIFY(!monitor.isRunning());
        const int calls = platform.topCalls;
        window.show();
        QVERIFY(monitor.isRunning());
        QTRY_VERIFY_WITH_TIMEOUT(platform.topCalls > calls, 5000);
        window.close();
        QVERIFY(!monitor.isRunning());
    }

    void buttonsActOnTheClickedRowAndReport()
    {
        FakePlatform platform;
        TopMonitor monitor(&platform);
        ProcessWindow window(&monitor);
        monitor.applyLines(
                processRowsFromTopText(FakePlatform::topWith({ { 10, "a" }, { 20, "b" } })));
        QTableView *table = window.theTableView();
        table->selectRow(1);
        QCOMPARE(monitor.selectedPid(), QStringLiteral("20"));
        window.quitButton()->click();
        QCOMPARE(window.statusLine()->text(), QStringLiteral("asked 20"));
        window.forceQuitButton()->click();
        QCOMPARE(window.statusLine()->text(), QStringLiteral("not permitted 20"));
        QCOMPARE(platform.requests, QStringList({ "quit 20", "force 20" }));
        QCOMPARE(table->model()->headerData(0, Qt::Horizontal).toString(),
                 QStringLiteral("Resident size"));
    }
};

QTEST_MAIN(TestProcessWindow)
#include "tst_processwindow.moc"
