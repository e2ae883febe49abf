#include "FakePlatform.h"

#include "processes/ProcessWindow.h"
#include "processes/TopMonitor.h"
#include "processes/TopObject.h"
#include "platform/ProcessOrder.h"

#include <QAbstractItemModelTester>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
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

    void actionsAskFirstAndNameTheProcess_data()
    {
        QTest::addColumn<bool>("force"); // the button pressed: Force Quit, else Quit
        QTest::addColumn<ProcessActionStatus>("quitStatus");
        QTest::addColumn<bool>("wayland");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<QString>("asked"); // a part of the question; empty: none asked
        QTest::addColumn<QStringList>("requests");
        const ProcessActionStatus done = ProcessActionStatus::Done;
        const ProcessActionStatus noWindow = ProcessActionStatus::NoWindow;
        const QString named = QStringLiteral("\u201cb\u201d (pid 20)");
        QTest::newRow("force quit, confirmed") << true << done << false << true << named
                                               << QStringList { "force 20" };
        QTest::newRow("force quit, declined") << true << done << false << false << named
                                              << QStringList();
        QTest::newRow("quit, windows asked") << false << done << false << true << QString()
                                             << QStringList { "quit 20" };
        QTest::newRow("quit, no window: force quit offered")
                << false << noWindow << false << true << "shows no window"
                << QStringList { "quit 20", "force 20" };
        QTest::newRow("quit, no display: declined")
                << false << ProcessActionStatus::Unavailable << false << false
                << "no X display" << QStringList { "quit 20" };
        QTest::newRow("quit under Wayland says why")
                << false << noWindow << true << true << "Under Wayland"
                << QStringList { "quit 20", "force 20" };
    }
    void actionsAskFirstAndNameTheProcess()
    {
        QFETCH(bool, force);
        QFETCH(ProcessActionStatus, quitStatus);
        QFETCH(bool, wayland);
        QFETCH(bool, answer);
        QFETCH(QString, asked);
        QFETCH(QStringList, requests);
        FakePlatform platform;
        platform.quitStatus = quitStatus;
        TopMonitor monitor(&platform);
        ProcessWindow window(&monitor);
        window.setWaylandSession(wayland);
        QStringList questions;
        window.setConfirmation([&](QWidget *, const QString &question, const QString &action) {
            questions << question;
            // Whatever led to it, the question is about force quitting this process.
            return action == QLatin1String("Force Quit") && question.contains(
                           QStringLiteral("Force quit \u201cb\u201d (pid 20)?")) && answer;
        });
        monitor.applyLines(
                processRowsFromTopText(FakePlatform::topWith({ { 10, "a" }, { 20, "b" } })));
        window.theTableView()->selectRow(1);
        (force ? window.forceQuitButton() : window.quitButton())->click();
        QCOMPARE(questions.size(), asked.isEmpty() ? 0 : 1);
        if (!asked.isEmpty())
            QVERIFY2(questions.first().contains(asked), qPrintable(questions.first()));
        QCOMPARE(platform.requests, requests);
        // The status line says what the last request did.
        if (!requests.isEmpty())
            QCOMPARE(window.statusLine()->text(),
                     requests.last().startsWith(QLatin1String("force")) ? "not permitted 20"
                                                                         : "asked 20");

        // Without a selection nothing is asked and nothing is sent.
        window.theTableView()->clearSelection();
        window.forceQuitButton()->click();
        QCOMPARE(questions.size(), asked.isEmpty() ? 0 : 1);
        QCOMPARE(platform.requests, requests);
    }

    void rowUnderAFixedPointKeepsItsProcess_data()
    {
        QTest::addColumn<bool>("pointerOverTable");
        QTest::newRow("pointer over the table") << true;
        QTest::newRow("selected, pointer elsewhere") << false;
    }
    void rowUnderAFixedPointKeepsItsProcess()
    {
        QFETCH(bool, pointerOverTable);
        FakePlatform platform;
        TopMonitor monitor(&platform);
        QAbstractItemModelTester tester(&monitor,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        ProcessWindow window(&monitor);
        window.resize(640, 480);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        monitor.stop(); // the test brings the refreshes
        QTableView *table = window.theTableView();

        // 200 processes whose sizes change at every refresh; at each one a process ends and
        // another starts. The watched one, pid 1100, stays mid-table in size.
        const qint64 watched = 1100;
        QRandomGenerator random(7);
        const auto refresh = [&](int round) {
            QList<ProcessRow> rows;
            for (int i = 0; i < 200; ++i) {
                ProcessRow row;
                row.pid = 1000 + i;
                if (row.pid != watched && i < round)
                    row.pid += 4000;
                row.command = QStringLiteral("p%1").arg(row.pid);
                const int mib = row.pid == watched ? random.bounded(900, 1100)
                                                   : random.bounded(1, 2000);
                row.residentBytes = quint64(mib) << 20;
                rows.append(row);
            }
            sortProcessRows(&rows, ProcessSortKey::ResidentSize, Qt::DescendingOrder);
            monitor.applyLines(rows);
        };
        const auto pidAt = [&](QPoint point) {
            const QModelIndex index = table->indexAt(point);
            return index.isValid() ? monitor.topItems()[size_t(index.row())]->row().pid : -1;
        };

        refresh(0);
        table->doItemsLayout();
        int row = 0;
        while (monitor.topItems()[size_t(row)]->row().pid != watched)
            ++row;
        table->scrollTo(monitor.index(row, 0), QAbstractItemView::PositionAtCenter);
        const QPoint point = table->visualRect(monitor.index(row, 1)).center();
        // Real pointer moves through the window, which tell the widgets the pointer came in
        // or left.
        const auto moveTo = [&](QWidget *widget, QPoint at) {
            QTest::mouseMove(window.windowHandle(), widget->mapTo(&window, at));
        };
        if (pointerOverTable) {
            moveTo(table->viewport(), point);
            QVERIFY(monitor.orderFrozen());
        } else {
            QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, point);
            moveTo(window.filterField(), QPoint(2, 2));
            QVERIFY(!monitor.orderFrozen());
        }
        QCOMPARE(pidAt(point), watched);

        QSet<int> rowsOfWatched;
        for (int round = 1; round <= 20; ++round) {
            refresh(round);
            QCOMPARE(pidAt(point), watched);
            rowsOfWatched.insert(table->indexAt(point).row());
        }
        if (pointerOverTable) {
            // Nothing moved: the ended processes kept their rows, the new ones came last.
            QCOMPARE(rowsOfWatched.size(), 1);
            QCOMPARE(monitor.rowCount(), 220);
            int ended = 0;
            for (int i = 0; i < monitor.rowCount(); ++i)
                ended += monitor.cellValue(QStringLiteral("1"), i).toString().endsWith("(ended)");
            QCOMPARE(ended, 20); // pids 1000 to 1019
            // Once the pointer leaves, the next refresh sorts again.
            moveTo(window.filterField(), QPoint(2, 2));
            QVERIFY(!monitor.orderFrozen());
            refresh(21);
            QCOMPARE(monitor.rowCount(), 200);
        } else {
            // The table was re-sorted under it and scrolled along; the selection stayed.
            QVERIFY(rowsOfWatched.size() > 1);
            QCOMPARE(monitor.selectedPid(), QString::number(watched));
        }
        const auto &items = monitor.topItems();
        QVERIFY(std::is_sorted(items.begin(), items.end(), [](const auto &a, const auto &b) {
            return a->row().residentBytes > b->row().residentBytes;
        }));
    }
};

QTEST_MAIN(TestProcessWindow)
#include "tst_processwindow.moc"
