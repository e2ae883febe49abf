// The notices before and after a run: when they show, what OK stores (at once, on disk), and
// the figures of the one after a run.

#include "../support/RunWatch.h"
#include "../support/TestSupport.h"
#include "app/AppController.h"
#include "app/Interface.h"
#include "optimizer/MemoryChange.h"
#include "app/MainWindow.h"
#include "app/OptimizationNotice.h"
#include "optimizer/OptimizerController.h"
#include "platform/linux/LinuxPlatform.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QTextLayout>

#include <memory>
#include <thread>

using namespace Kalvoren;
using namespace KalvorenTest;

Q_DECLARE_METATYPE(Kalvoren::OptimizerResult)

class TestOptimizationNotices : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void beforeRunNoticeShowsUnlessHidden_data();
    void beforeRunNoticeShowsUnlessHidden();
    void okWithBoxTickedHidesForGoodAtOnce();
    void okWithBoxClearStoresNothingAndKeepsAnEarlierYes();
    void okWhileARunIsUnderWayStartsNoSecondRun();
    void cancelOrCloseStartsNothing_data();
    void cancelOrCloseStartsNothing();
    void afterRunNoticeShowsWhatTheRunGaveBack();
    void afterRunNoticeHiddenByItsCheckBox();
    void memoryChangeText_data();
    void memoryChangeText();
    void runReportSaysWhatTheRunDid_data();
    void runReportSaysWhatTheRunDid();

private:
    AppController *controller() const { return m_ui->controller.get(); }
    QString settingsFile() const { return m_settingsDir->filePath("Kalvoren/Kalvoren.conf"); }
    void writeSettingsFile(const QByteArray &text);
    QByteArray settingsOnDisk() const;

    FakeProc m_proc;
    LogCapture m_log;
    std::unique_ptr<QTemporaryDir> m_settingsDir;
    std::unique_ptr<Interface> m_ui;
};

void TestOptimizationNotices::initTestCase()
{
    m_log.start();
    QCoreApplication::setOrganizationName(QStringLiteral("Kalvoren"));
    QCoreApplication::setApplicationName(QStringLiteral("Kalvoren"));
}

void TestOptimizationNotices::init()
{
    // A fresh directory each time: QSettings keeps files it has read in a cache by name.
    m_settingsDir = std::make_unique<QTemporaryDir>();
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir->path());
    m_proc.setMemory(100, 50, 300);
    m_ui = createInterface(std::make_unique<LinuxPlatform>(m_proc.root()));
    m_log.clear();
}

void TestOptimizationNotices::cleanup()
{
    QTRY_VERIFY_WITH_TIMEOUT(runOver(*controller()), 60000);
    m_ui.reset();
}

void TestOptimizationNotices::writeSettingsFile(const QByteArray &text)
{
    QDir().mkpath(QFileInfo(settingsFile()).path());
    QFile file(settingsFile());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
}

QByteArray TestOptimizationNotices::settingsOnDisk() const
{
    QFile file(settingsFile());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void TestOptimizationNotices::beforeRunNoticeShowsUnlessHidden_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("shown");
    QTest::newRow("fresh account") << QByteArray() << true;
    QTest::newRow("yes") << QByteArray("[General]\nhideHelper1=yes\n") << false;
    QTest::newRow("no") << QByteArray("[General]\nhideHelper1=no\n") << true;
    QTest::newRow("capital YES") << QByteArray("[General]\nhideHelper1=YES\n") << true;
    QTest::newRow("true") << QByteArray("[General]\nhideHelper1=true\n") << true;
    QTest::newRow("1") << QByteArray("[General]\nhideHelper1=1\n") << true;
    QTest::newRow("a list") << QByteArray("[General]\nhideHelper1=yes, yes\n") << true;
    QTest::newRow("the other key") << QByteArray("[General]\nhideHelper2=yes\n") << true;
}

void TestOptimizationNotices::beforeRunNoticeShowsUnlessHidden()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, shown);
    if (!file.isEmpty())
        writeSettingsFile(file);
    QCOMPARE(controller()->showNoticeBeforeRun(), shown);
    QCOMPARE(controller()->noticeBeforeRun()->isVisible(), shown);

    // Through the button: a notice means no run until OK; no notice means the run starts.
    controller()->noticeBeforeRun()->hide();
    QTest::mouseClick(m_ui->mainWindow->mainButton(), Qt::LeftButton);
    QCOMPARE(controller()->noticeBeforeRun()->isVisible(), shown);
    QCOMPARE(runStarted(*controller(), m_log), !shown);
}

void TestOptimizationNotices::okWithBoxTickedHidesForGoodAtOnce()
{
    QVERIFY(controller()->showNoticeBeforeRun());
    controller()->noticeBeforeRun()->checkBox()->setChecked(true);
    m_ui->mainWindow->hide();
    QTest::mouseClick(controller()->noticeBeforeRun()->okButton(), Qt::LeftButton);

    // On disk already, not only in QSettings' memory.
    QVERIFY2(settingsOnDisk().contains("hideHelper1=yes"), settingsOnDisk().constData());
    QVERIFY(!controller()->noticeBeforeRun()->isVisible());
    QVERIFY(m_ui->mainWindow->isVisible());
    QTRY_VERIFY(runStarted(*controller(), m_log));
    QTRY_VERIFY_WITH_TIMEOUT(runOver(*controller()), 60000);

    // From the next press on, the run starts at once.
    QVERIFY(!controller()->showNoticeBeforeRun());
    QVERIFY(!controller()->noticeBeforeRun()->isVisible());
}

void TestOptimizationNotices::okWithBoxClearStoresNothingAndKeepsAnEarlierYes()
{
    QVERIFY(controller()->showNoticeBeforeRun());
    controller()->noticeBeforeRun()->checkBox()->setChecked(false);
    controller()->confirmNoticeBeforeRun();
    QVERIFY(!settingsOnDisk().contains("hideHelper1"));
    QTRY_VERIFY_WITH_TIMEOUT(runOver(*controller()), 60000);
    QVERIFY(controller()->showNoticeBeforeRun()); // shown again at the next press

    // A clear box at OK never takes back an earlier "yes" (nor does a half-ticked one).
    writeSettingsFile("[General]\nhideHelper1=yes\nhideHelper2=yes\n");
    controller()->noticeBeforeRun()->checkBox()->setCheckState(Qt::PartiallyChecked);
    controller()->confirmNoticeBeforeRun();
    QTRY_VERIFY_WITH_TIMEOUT(runOver(*controller()), 60000);
    controller()->noticeAfterRun()->checkBox()->setChecked(false);
    controller()->closeNoticeAfterRun();
    QCOMPARE(QSettings().value("hideHelper1").toString(), QStringLiteral("yes"));
    QCOMPARE(QSettings().value("hideHelper2").toString(), QStringLiteral("yes"));
}

void TestOptimizationNotices::okWhileARunIsUnderWayStartsNoSecondRun()
{
    QVERIFY(controller()->showNoticeBeforeRun());
    // A run started meanwhile by other means (the bus), held at its first block.
    QSignalSpy finished(m_ui->optimizer.get(), &OptimizerController::finished);
    HeldRun run(*controller(), *m_ui->optimizer);
    QVERIFY(run.started());
    controller()->confirmNoticeBeforeRun();
    QVERIFY(!controller()->noticeBeforeRun()->isVisible());
    QVERIFY(!m_ui->optimizer->cancelRequested()); // OK is no cancel request either
    run.release();
    QTRY_VERIFY_WITH_TIMEOUT(runOver(*controller()), 60000);
    QTest::qWait(50);
    QCOMPARE(finished.size(), 1);
}

void TestOptimizationNotices::cancelOrCloseStartsNothing_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Cancel") << "cancel";
    QTest::newRow("the window's close button") << "close";
    QTest::newRow("Escape") << "escape";
}

void TestOptimizationNotices::cancelOrCloseStartsNothing()
{
    QFETCH(QString, how);
    OptimizationNotice *notice = controller()->noticeBeforeRun();
    QVERIFY(controller()->showNoticeBeforeRun());
    QVERIFY(notice->textLabel()->text().contains(QStringLiteral("same as Cancel")));
    // Even with the box ticked: the user turned the run down, not the notice.
    notice->checkBox()->setChecked(true);
    if (how == QLatin1String("cancel"))
        QTest::mouseClick(notice->cancelButton(), Qt::LeftButton);
    else if (how == QLatin1String("close"))
        QVERIFY(notice->close());
    else
        QTest::keyClick(notice, Qt::Key_Escape);
    QVERIFY(!notice->isVisible());
    QVERIFY(!runStarted(*controller(), m_log));
    QVERIFY(!settingsOnDisk().contains("hideHelper1"));
    QVERIFY(controller()->showNoticeBeforeRun()); // and it asks again next time
}

void TestOptimizationNotices::afterRunNoticeShowsWhatTheRunGaveBack()
{
    writeSettingsFile("[General]\nhideHelper1=yes\n");
    QVERIFY(!controller()->showNoticeBeforeRun()); // the moment before a run: 100 MB free
    m_proc.setMemory(600, 10, 900);        // what the run gave back

    controller()->showNoticeAfterRun();
    QVERIFY(controller()->noticeAfterRun()->isVisible());

    QLabel *label = controller()->noticeAfterRun()->textLabel();
    const QString text = label->text();
    QVERIFY2(text.contains(QStringLiteral("Free memory: 100.00\u00a0MB \u2192 600.00\u00a0MB "
                                          "(+500.00\u00a0MB)")),
             qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("Available memory: 300.00\u00a0MB \u2192 "
                                          "900.00\u00a0MB (+600.00\u00a0MB)")),
             qPrintable(text));
    const QString report = runReportText(controller()->lastOptimizerResult())
                                   .replace(QStringLiteral(" MB"), QStringLiteral("\u00a0MB"));
    QVERIFY2(text.endsWith(report), qPrintable(text));
    // However narrow the notice, no line begins with a unit torn from its number.
    for (int width = 60; width <= 400; width += 5) {
        QTextLayout layout(text, label->font());
        QTextOption option;
        option.setWrapMode(QTextOption::WordWrap);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            const QString start = text.mid(line.textStart(), 2);
            QVERIFY2(start != QLatin1String("MB"), qPrintable(QString::number(width)));
        }
        layout.endLayout();
    }

    controller()->noticeAfterRun()->checkBox()->setChecked(true);
    QTest::mouseClick(controller()->noticeAfterRun()->okButton(), Qt::LeftButton);
    QVERIFY(!controller()->noticeAfterRun()->isVisible());
    QVERIFY2(settingsOnDisk().contains("hideHelper2=yes"), settingsOnDisk().constData());
}

void TestOptimizationNotices::afterRunNoticeHiddenByItsCheckBox()
{
    writeSettingsFile("[General]\nhideHelper2=yes\n");
    controller()->showNoticeAfterRun();
    QVERIFY(!controller()->noticeAfterRun()->isVisible());
    // Hiding the second notice does not hide the first.
    QVERIFY(controller()->showNoticeBeforeRun());
}

void TestOptimizationNotices::memoryChangeText_data()
{
    QTest::addColumn<bool>("hasBefore");
    QTest::addColumn<double>("freeBefore");
    QTest::addColumn<double>("freeAfter");
    QTest::addColumn<QString>("freeLine");
    const double mb = 1048576.0;
    // Each number keeps its unit on its line: a no-break space between them.
    QTest::newRow("gained") << true << 100 * mb << 612.5 * mb
                            << "Free memory: 100.00\u00a0MB \u2192 612.50\u00a0MB "
                               "(+512.50\u00a0MB)";
    QTest::newRow("lost") << true << 612.5 * mb << 100 * mb
                          << "Free memory: 612.50\u00a0MB \u2192 100.00\u00a0MB "
                             "(-512.50\u00a0MB)";
    QTest::newRow("unchanged") << true << 100 * mb << 100 * mb + 100
                               << "Free memory: 100.00\u00a0MB \u2192 100.00\u00a0MB "
                                  "(0.00\u00a0MB)";
    QTest::newRow("no figures before") << false << 0.0 << 2048 * mb
                                       << "Free memory: 2048.00\u00a0MB";
    // Beyond 4 GiB, where 32-bit byte counts would wrap.
    QTest::newRow("large") << true << 5000 * mb << 9000 * mb
                           << "Free memory: 5000.00\u00a0MB \u2192 9000.00\u00a0MB "
                              "(+4000.00\u00a0MB)";
}

void TestOptimizationNotices::memoryChangeText()
{
    QFETCH(bool, hasBefore);
    QFETCH(double, freeBefore);
    QFETCH(double, freeAfter);
    QFETCH(QString, freeLine);
    std::optional<MemorySnapshot> before;
    if (hasBefore)
        before = MemorySnapshot { freeBefore, freeBefore * 2 };
    const QStringList lines =
            Kalvoren::memoryChangeText(before, MemorySnapshot { freeAfter, freeAfter * 2 })
                    .split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines.at(0), freeLine);
    QVERIFY(lines.at(1).startsWith(QLatin1String("Available memory: ")));
}

void TestOptimizationNotices::runReportSaysWhatTheRunDid_data()
{
    QTest::addColumn<OptimizerResult>("result");
    QTest::addColumn<QString>("report");
    const quint64 mib = 1024 * 1024;
    OptimizerResult done;
    done.blocksTaken = 20;
    done.seconds = 1.3;
    done.purge = { PurgeOutcome::Done, QString() };

    OptimizerResult noRoom = done;
    noRoom.blocksTaken = 0;
    noRoom.budget = 0;
    noRoom.roomBefore = MemoryRoom { 100 * mib, 1024 * mib, QStringLiteral("memory") };
    QTest::newRow("zero budget")
            << noRoom
            << "No memory was taken: only 100.00 MB is available, within the 128.00 MB kept "
               "free.\nTook 1.3 s.\nThe page cache was dropped first.";

    OptimizerResult nothingLeft = done;
    nothingLeft.blocksTaken = 0;
    nothingLeft.budget = 500 * mib;
    nothingLeft.bound = PlanBound::Reclaimable;
    QTest::newRow("nothing left to reclaim")
            << nothingLeft
            << "No memory was taken: the kernel has no page cache left to give back for it."
               "\nTook 1.3 s.\nThe page cache was dropped first.";

    OptimizerResult stopped = done;
    stopped.blocksTaken = 7;
    stopped.blocksFailed = 2;
    stopped.stoppedNotPaying = true;
    stopped.purge = { PurgeOutcome::Skipped, QStringLiteral("Purge skipped: it needs root.") };
    QTest::newRow("stopped, failures, purge skipped")
            << stopped
            << "Stopped early: the kernel no longer gave back page cache.\n2 allocations "
               "failed.\nTook 1.3 s.\nPurge skipped: it needs root.";
}

void TestOptimizationNotices::runReportSaysWhatTheRunDid()
{
    QFETCH(OptimizerResult, result);
    QFETCH(QString, report);
    QCOMPARE(runReportText(result), report);
}

QTEST_MAIN(TestOptimizationNotices)
#include "tst_optimizationnotices.moc"
