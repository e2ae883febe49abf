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

    void cellsByColumnIdentifier_data()
    {
        QTest::addColumn<QString>("identifier");
        QTest::addColumn<qulonglong>("residentBytes");
        QTest::addColumn<bool>("kernelThread");
        QTest::addColumn<QString>("shown"); // null: no value
        const qulonglong kib = 1024;
        QTest::newRow("0: MiB") << "0" << 9216 * kib << false << "9.0 MiB";
        QTest::newRow("0: rounds up to the next unit") << "0" << kib * kib - 1 << false
                                                       << "1.0 MiB";
        QTest::newRow("0: bytes") << "0" << kib - 1 << false << "1023 B";
        QTest::newRow("0: beyond 4 GiB") << "0" << 5632 * kib * kib << false << "5.5 GiB";
        QTest::newRow("0: kernel thread") << "0" << 0ull << true << "\u2014";
        QTest::newRow("0: user process with nothing resident") << "0" << 0ull << false << "0 B";
        QTest::newRow("not a number reads as 0") << "size" << kib << false << "1.0 KiB";
        QTest::newRow("1: command") << "1" << kib << false << "Web Content";
        QTest::newRow("2: pid") << "2" << kib << false << "300";
        QTest::newRow("3: user") << "3" << kib << false << "alice";
        QTest::newRow("4: CPU %") << "4" << kib << false << "12.5";
        QTest::newRow("5: nothing") << "5" << kib << false << QString();
    }
    void cellsByColumnIdentifier()
    {
        QFETCH(QString, identifier);
        QFETCH(qulonglong, residentBytes);
        QFETCH(bool, kernelThread);
        QFETCH(QString, shown);
        FakePlatform platform;
        TopMonitor monitor(&platform);
        monitor.setShowKernelThreads(true);
        ProcessRow row;
        row.pid = 300;
        row.residentBytes = residentBytes;
        row.cpuPercent = 12.5;
        row.command = QStringLiteral("Web Content");
        row.user = QStringLiteral("alice");
        row.kernelThread = kernelThread;
        monitor.applyLines({ row });
        const QVariant value = monitor.cellValue(identifier, 0);
        QCOMPARE(value.isValid(), !shown.isNull());
        QCOMPARE(value.toString(), shown);
        QVERIFY(!monitor.cellValue(identifier, 1).isValid());

        // Wherever the columns stand, the header names each one's identifier and the cells
        // show what cellValue gives for it; "0" and "1" stay resident size and command.
        for (int column = 0; column < monitor.columnCount(); ++column) {
            const QString id =
                    monitor.headerData(column, Qt::Horizontal, TopMonitor::ColumnIdentifierRole)
                            .toString();
            QCOMPARE(monitor.data(monitor.index(0, column)), monitor.cellValue(id, 0));
            const QString title = monitor.headerData(column, Qt::Horizontal).toString();
            if (id == QLatin1String("0"))
                QCOMPARE(title, QStringLiteral("Resident size"));
            if (id == QLatin1String("1"))
                QCOMPARE(title, QStringLiteral("Command"));
        }
        // Edits are discarded.
        QVERIFY(!monitor.setData(monitor.index(0, 1), QStringLiteral("x"), Qt::EditRole));
        QCOMPARE(monitor.topItems()[0]->command(), QStringLiteral("Web Content"));
        QVERIFY(!(monitor.flags(monitor.index(0, 1)) & Qt::ItemIsEditable));
    }

    void sortAndFilter_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<Qt::SortOrder>("order");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<bool>("kernelThreads");
        QTest::addColumn<QString>("pids"); // top to bottom
        const auto desc = Qt::DescendingOrder;
        const auto asc = Qt::AscendingOrder;
        QTest::newRow("by default largest first, no kernel threads")
                << int(TopMonitor::ResidentSizeColumn) << desc << "" << false << "20 10 1234 40";
        QTest::newRow("kernel threads when asked")
                << int(TopMonitor::ResidentSizeColumn) << desc << "" << true
                << "20 10 1234 40 30";
        QTest::newRow("smallest first") << int(TopMonitor::ResidentSizeColumn) << asc << ""
                                        << false << "40 10 1234 20";
        QTest::newRow("busiest first, equal CPU by pid")
                << int(TopMonitor::CpuColumn) << desc << "" << false << "20 1234 10 40";
        QTest::newRow("pid") << int(TopMonitor::PidColumn) << asc << "" << false
                             << "10 20 40 1234";
        QTest::newRow("command, case aside") << int(TopMonitor::CommandColumn) << asc << ""
                                             << false << "40 20 1234 10";
        QTest::newRow("user") << int(TopMonitor::UserColumn) << asc << "" << false
                              << "20 40 1234 10";
        QTest::newRow("filter: command, case aside")
                << int(TopMonitor::ResidentSizeColumn) << desc << "FIRE" << false << "20";
        QTest::newRow("filter: user, with spaces around")
                << int(TopMonitor::ResidentSizeColumn) << desc << " alice " << false << "20 40";
        QTest::newRow("filter: pid from its start")
                << int(TopMonitor::ResidentSizeColumn) << desc << "12" << false << "1234";
        QTest::newRow("filter: not the middle of a pid")
                << int(TopMonitor::ResidentSizeColumn) << desc << "23" << false << "";
        QTest::newRow("filter: a hidden kernel thread stays hidden")
                << int(TopMonitor::ResidentSizeColumn) << desc << "kworker" << false << "";
        QTest::newRow("filter: kernel thread shown")
                << int(TopMonitor::ResidentSizeColumn) << desc << "kworker" << true << "30";
    }
    void sortAndFilter()
    {
        QFETCH(int, column);
        QFETCH(Qt::SortOrder, order);
        QFETCH(QString, filter);
        QFETCH(bool, kernelThreads);
        QFETCH(QString, pids);
        const auto process = [](qint64 pid, const char *command, const char *user, int mib,
                                double cpu, bool kernel) {
            ProcessRow row;
            row.pid = pid;
            row.command = QString::fromLatin1(command);
            row.user = QString::fromLatin1(user);
            row.residentBytes = quint64(mib) << 20;
            row.cpuPercent = cpu;
            row.kernelThread = kernel;
            return row;
        };
        // As the platform lists them: largest first.
        const QList<ProcessRow> rows = {
            process(20, "firefox", "alice", 900, 30, false),
            process(10, "Xorg", "root", 300, 5, false),
            process(1234, "python3", "bob", 300, 30, false),
            process(40, "bash", "alice", 5, 0, false),
            process(30, "kworker/0:1", "root", 0, 1, true),
        };
        FakePlatform platform;
        TopMonitor monitor(&platform);
        QAbstractItemModelTester tester(&monitor,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        monitor.applyLines(rows);
        monitor.setFilterText(filter);
        monitor.setShowKernelThreads(kernelThreads);
        monitor.sort(column, order);
        QStringList shown;
        for (const auto &item : monitor.topItems())
            shown << item->pid();
        QCOMPARE(shown.join(QLatin1Char(' ')), pids);
        // The next refresh keeps the same order and filter.
        monitor.applyLines(rows);
        QCOMPARE(int(monitor.topItems().size()), int(shown.size()));
        if (!shown.isEmpty())
            QCOMPARE(monitor.topItems().back()->pid(), shown.last());
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

    void selectionClearsWhenTheProcessEnds_data()
    {
        QTest::addColumn<qint64>("laterPid");
        QTest::addColumn<quint64>("laterStart");
        QTest::newRow("ended, another process in its row") << qint64(40) << quint64(500);
        // A new process that got the same pid is not the one the user picked.
        QTest::newRow("ended, its pid taken by a new process") << qint64(20) << quint64(900);
    }
    void selectionClearsWhenTheProcessEnds()
    {
        QFETCH(qint64, laterPid);
        QFETCH(quint64, laterStart);
        const auto process = [](qint64 pid, const char *command, quint64 start, int mib) {
            ProcessRow row;
            row.pid = pid;
            row.command = QString::fromLatin1(command);
            row.startTime = start;
            row.residentBytes = quint64(mib) << 20;
            return row;
        };
        FakePlatform platform;
        TopMonitor monitor(&platform);
        monitor.applyLines({ process(10, "a", 100, 9), process(20, "b", 200, 5) });
        monitor.selectRow(1);
        QSignalSpy status(&monitor, &TopMonitor::statusMessage);
        monitor.applyLines({ process(10, "a", 100, 9), process(laterPid, "d", laterStart, 5) });
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
