// The scripting command over a private session bus: the reply, the log line, what the press
// does while idle, while a run goes on and while the notice is up; showWindow; the client.

#include "../support/RunWatch.h"
#include "../support/TestSupport.h"
#include "app/AppController.h"
#include "app/Interface.h"
#include "app/MainWindow.h"
#include "app/MyApplication.h"
#include "stats/MemorySampler.h"
#include "app/SingleInstance.h"
#include "cli/Cli.h"
#include "cli/InstanceClient.h"
#include "app/OptimizationNotice.h"
#include "platform/linux/LinuxPlatform.h"

#include <QDBusConnection>
#include <QDBusPendingCall>
#include <QDBusPendingReply>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>

using namespace Kalvoren;
using namespace KalvorenTest;

namespace {
KalvorenTest::PrivateBus *theBus = nullptr;
QString busProblem;
}

class TestScriptCommand : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void optimizeAnswersAndLogsTheCaller();
    void optimizeWhileRunningOnlyCancels();
    void optimizeWithNoticeStartsNothingUntilOk();
    void showWindowBringsTheMainWindowBack();
    void optimizeCommandHandsTheRunToTheInstance();
    void figuresAnswerWithTheStatsKeys();

private:
    MyApplication *app() const { return static_cast<MyApplication *>(qApp); }
    AppController *controller() const { return m_ui->controller.get(); }
    // Calls method over the bus from a connection of its own, so the call really travels
    // through the daemon; the event loop keeps running meanwhile to serve it.
    QDBusPendingCall callAsync(const QString &method);
    void hideNoticeBeforeRun();

    std::unique_ptr<FakeProc> m_proc;
    std::unique_ptr<Interface> m_ui;
    std::unique_ptr<QTemporaryDir> m_settingsDir;
    LogCapture m_log;
    QDBusConnection m_client { QStringLiteral("none") };
};

void TestScriptCommand::initTestCase()
{
    if (!theBus)
        QSKIP(qPrintable(busProblem));
    m_log.start(); // after QTest has put its own handler in, which ours passes lines on to
    m_proc = std::make_unique<FakeProc>();
    QString message;
    QCOMPARE(registerInstance(app(), QDBusConnection::sessionBus(), &message),
             InstanceRole::First);
    m_client = QDBusConnection::connectToBus(theBus->address(), QStringLiteral("client"));
    QVERIFY(m_client.isConnected());
}

void TestScriptCommand::init()
{
    m_settingsDir = std::make_unique<QTemporaryDir>();
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir->path());
    m_ui = createInterface(std::make_unique<LinuxPlatform>(m_proc->root()));
    app()->setDelegate(controller());
    m_log.clear();
}

void TestScriptCommand::cleanup()
{
    // A run started by a test ends before its controller goes.
    if (m_ui)
        QTRY_VERIFY_WITH_TIMEOUT(runOver(*controller()), 60000);
    app()->setDelegate(nullptr);
    m_ui.reset();
}

QDBusPendingCall TestScriptCommand::callAsync(const QString &method)
{
    const QDBusMessage call = QDBusMessage::createMethodCall(
            QLatin1String(InstanceBus::service), QLatin1String(InstanceBus::path),
            QLatin1String(InstanceBus::interface), method);
    return m_client.asyncCall(call, 10000);
}

void TestScriptCommand::hideNoticeBeforeRun()
{
    QSettings settings;
    settings.setValue(QStringLiteral("hideHelper1"), QStringLiteral("yes"));
    settings.sync();
}

void TestScriptCommand::optimizeAnswersAndLogsTheCaller()
{
    hideNoticeBeforeRun();
    QDBusPendingReply<QString> reply = callAsync(QStringLiteral("optimize"));
    QTRY_VERIFY(reply.isFinished());
    QVERIFY2(reply.isValid(), qPrintable(reply.error().message()));
    QCOMPARE(reply.value(), QStringLiteral("Kalvoren Optimize Initiated"));

    const QStringList lines = m_log.linesStartingWith(QStringLiteral("optimizeScriptCommand:"));
    QCOMPARE(lines.size(), 1);
    QCOMPARE(lines.first(), QStringLiteral("optimizeScriptCommand:org.kalvoren.Kalvoren.optimize "
                                           "from ")
                     + m_client.baseService());
    // The notice is hidden, so the call is a press that starts the run at once.
    QVERIFY(!controller()->noticeBeforeRun()->isVisible());
    QTRY_VERIFY(runStarted(*controller(), m_log));
}

void TestScriptCommand::optimizeWhileRunningOnlyCancels()
{
    HeldRun run(*controller(), *m_ui->optimizer); // a run is under way
    QVERIFY(run.started());
    QDBusPendingReply<QString> reply = callAsync(QStringLiteral("optimize"));
    QTRY_VERIFY(reply.isFinished());
    QCOMPARE(reply.value(), QStringLiteral("Kalvoren Optimize Initiated"));
    // The request stands until the run ends (which may be at once, before its first block).
    QVERIFY(m_ui->optimizer->cancelRequested() || controller()->lastOptimizerResult().cancelled);
    QVERIFY(!controller()->noticeBeforeRun()->isVisible());
    run.release();
    QTRY_VERIFY(runOver(*controller()));
    QVERIFY(controller()->lastOptimizerResult().cancelled);
}

void TestScriptCommand::optimizeWithNoticeStartsNothingUntilOk()
{
    // Fresh settings: the notice is on.
    m_ui->mainWindow->hide();
    // Twice, and once closed by other means than OK: still nothing starts.
    for (int i = 0; i < 2; ++i) {
        QDBusPendingReply<QString> reply = callAsync(QStringLiteral("optimize"));
        QTRY_VERIFY(reply.isFinished());
        // The script is answered while the notice still waits for the user.
        QCOMPARE(reply.value(), QStringLiteral("Kalvoren Optimize Initiated"));
        QVERIFY(controller()->noticeBeforeRun()->isVisible());
        QTest::qWait(50);
        QVERIFY(!runStarted(*controller(), m_log));
        QVERIFY(!m_ui->optimizer->cancelRequested());
        if (i == 0)
            controller()->noticeBeforeRun()->close();
    }

    auto *notice = controller()->noticeBeforeRun();
    QVERIFY(notice);
    QTest::mouseClick(notice->okButton(), Qt::LeftButton);
    QVERIFY(!controller()->noticeBeforeRun()->isVisible());
    QVERIFY(m_ui->mainWindow->isVisible());
    QTRY_VERIFY(runStarted(*controller(), m_log));
}

void TestScriptCommand::showWindowBringsTheMainWindowBack()
{
    m_ui->mainWindow->hide();
    QDBusPendingCall call = callAsync(QStringLiteral("showWindow"));
    QTRY_VERIFY(call.isFinished());
    QVERIFY(!call.isError());
    QVERIFY(m_ui->mainWindow->isVisible());
    QCOMPARE(m_log.linesStartingWith(QStringLiteral("showWindow:")).size(), 1);
    QVERIFY(!runStarted(*controller(), m_log));

    // A window the user minimised comes back too.
    m_ui->mainWindow->showMinimized();
    QDBusPendingCall again = callAsync(QStringLiteral("showWindow"));
    QTRY_VERIFY(again.isFinished());
    QVERIFY(!(m_ui->mainWindow->windowState() & Qt::WindowMinimized));
    QVERIFY(m_ui->mainWindow->isVisible());
}

void TestScriptCommand::optimizeCommandHandsTheRunToTheInstance()
{
    HeldRun run(*controller(), *m_ui->optimizer); // so the press only cancels
    char *outText = nullptr;
    size_t outSize = 0;
    FILE *out = open_memstream(&outText, &outSize);
    CliContext context;
    context.streams.out = out;
    std::optional<int> status;
    std::thread caller([&] { status = optimizeInRunningInstance(context, m_client); });
    QTRY_VERIFY(m_ui->optimizer->cancelRequested()
                || controller()->lastOptimizerResult().cancelled);
    caller.join();
    std::fclose(out);
    const QString printed = QString::fromLocal8Bit(outText, qsizetype(outSize));
    std::free(outText);
    run.release();
    QCOMPARE(status, std::optional<int>(ExitOk));
    QCOMPARE(printed, QStringLiteral("Kalvoren Optimize Initiated\n"));
    QCOMPARE(m_log.linesStartingWith(QStringLiteral("optimizeScriptCommand:")).size(), 1);

    // No bus: the client says so, and the command goes on to run in the terminal.
    const QDBusConnection nowhere = QDBusConnection::connectToBus(
            QStringLiteral("unix:path=/nonexistent/kalvoren-test-bus"), QStringLiteral("nowhere"));
    QCOMPARE(callRunningInstance(QStringLiteral("optimize"), nowhere).status,
             InstanceReply::Status::NoBus);
    QCOMPARE(optimizeInRunningInstance(context, nowhere), std::nullopt);
}

void TestScriptCommand::figuresAnswerWithTheStatsKeys()
{
    // Before the first sample there is nothing to tell.
    QDBusPendingReply<QVariantMap> none = callAsync(QStringLiteral("figures"));
    QTRY_VERIFY(none.isFinished());
    QVERIFY2(none.isValid(), qPrintable(none.error().message()));
    QVERIFY(none.value().isEmpty());

    // The fake /proc: 100 MB free, 300 MB available, no swap lines, no pressure file.
    m_ui->sampler->sampleNow();
    QDBusPendingReply<QVariantMap> reply = callAsync(QStringLiteral("figures"));
    QTRY_VERIFY(reply.isFinished());
    QVERIFY2(reply.isValid(), qPrintable(reply.error().message()));
    const QVariantMap figures = reply.value();
    QCOMPARE(figures.value(QStringLiteral("free")).toString(), QStringLiteral("100.00 MB"));
    QCOMPARE(figures.value(QStringLiteral("available_bytes")).toULongLong(), 300ull << 20);
    QVERIFY(!figures.contains(QStringLiteral("swap_total_bytes")));
    QVERIFY(!figures.contains(QStringLiteral("pressure")));
}

int main(int argc, char **argv)
{
    MyApplication app(argc, argv);
    // The bus must be known before anything asks for the session bus.
    KalvorenTest::PrivateBus bus;
    if (bus.start(&busProblem)) {
        qputenv("DBUS_SESSION_BUS_ADDRESS", bus.address().toUtf8());
        theBus = &bus;
    }
    TestScriptCommand test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_scriptcommand.moc"
