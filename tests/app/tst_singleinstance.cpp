// The real kalvoren binary on a private session bus: a second start hands over to the first
// and exits 0, two starts at once leave one, and no bus at all still starts the program.

#include "../support/TestSupport.h"
#include "cli/Cli.h"
#include "cli/InstanceClient.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QProcess>
#include <QTest>

#include <memory>

using namespace Kalvoren;
using namespace KalvorenTest;

namespace {

// One started kalvoren, its standard error kept as it comes.
class RunningProgram
{
public:
    explicit RunningProgram(const QProcessEnvironment &environment)
    {
        m_process.setProcessEnvironment(environment);
        m_process.start(QStringLiteral(KALVOREN_BINARY), {});
    }
    ~RunningProgram()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
    QProcess &process() { return m_process; }
    bool running() const { return m_process.state() != QProcess::NotRunning; }
    QString errors()
    {
        m_errors += m_process.readAllStandardError();
        return QString::fromLocal8Bit(m_errors);
    }

private:
    QProcess m_process;
    QByteArray m_errors;
};

} // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void withoutInstanceTheClientSaysSo();
    void secondStartHandsOverAndExitsZero();
    void twoStartsAtOnceLeaveOne();
    void startsWithoutASessionBus();

private:
    bool nameOwned() { return m_bus.interface()->isServiceRegistered(
                                       QLatin1String(InstanceBus::service)); }

    PrivateBus m_daemon;
    QDBusConnection m_bus { QStringLiteral("none") };
    QTemporaryDir m_config;
    QProcessEnvironment m_environment;
};

void TestSingleInstance::initTestCase()
{
    QString why;
    if (!m_daemon.start(&why))
        QSKIP(qPrintable(why));
    m_bus = QDBusConnection::connectToBus(m_daemon.address(), QStringLiteral("test"));
    QVERIFY(m_bus.isConnected());
    m_environment = QProcessEnvironment::systemEnvironment();
    m_environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_daemon.address());
    m_environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    m_environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_config.path());
}

void TestSingleInstance::withoutInstanceTheClientSaysSo()
{
    QVERIFY(!nameOwned());
    const InstanceReply reply = callRunningInstance(QStringLiteral("optimize"), m_bus);
    QCOMPARE(reply.status, InstanceReply::Status::NoInstance);
    QCOMPARE(optimizeInRunningInstance(CliContext(), m_bus), std::nullopt); // run here instead
    QVERIFY(!nameOwned()); // and neither started one
}

void TestSingleInstance::secondStartHandsOverAndExitsZero()
{
    RunningProgram first(m_environment);
    QVERIFY(first.process().waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(nameOwned(), 30000);

    const InstanceReply reply = callRunningInstance(QStringLiteral("optimize"), m_bus);
    QCOMPARE(reply.status, InstanceReply::Status::Replied);
    QCOMPARE(reply.text, QStringLiteral("Kalvoren Optimize Initiated"));

    RunningProgram second(m_environment);
    QVERIFY(second.process().waitForFinished(30000));
    QCOMPARE(second.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.process().exitCode(), 0);
    QVERIFY2(second.errors().contains(QLatin1String("already running")),
             qPrintable(second.errors()));

    QVERIFY(first.running());
    QTRY_VERIFY2(first.errors().contains(QLatin1String("showWindow:org.kalvoren.Kalvoren"
                                                       ".showWindow from :")),
                 qPrintable(first.errors()));
    QCOMPARE(first.errors().count(QLatin1String("optimizeScriptCommand:")), 1);
    QVERIFY(nameOwned());
}

void TestSingleInstance::twoStartsAtOnceLeaveOne()
{
    QTRY_VERIFY(!nameOwned()); // the previous test's instance has gone
    RunningProgram a(m_environment);
    RunningProgram b(m_environment);
    QTRY_VERIFY_WITH_TIMEOUT(!a.running() || !b.running(), 30000);
    RunningProgram &gone = a.running() ? b : a;
    RunningProgram &kept = a.running() ? a : b;
    QVERIFY2(gone.process().exitCode() == 0, qPrintable(gone.errors()));
    QVERIFY2(kept.running(), qPrintable(kept.errors()));
    QVERIFY(nameOwned());
    // The one that stayed was asked to show its window.
    QTRY_VERIFY2(kept.errors().contains(QLatin1String("showWindow:")), qPrintable(kept.errors()));
}

void TestSingleInstance::startsWithoutASessionBus()
{
    QProcessEnvironment environment = m_environment;
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                       QStringLiteral("unix:path=/nonexistent/kalvoren-test-bus"));
    RunningProgram lonely(environment);
    QTRY_VERIFY_WITH_TIMEOUT(lonely.errors().contains(QLatin1String("kalvoren: no session bus")),
                             30000);
    QCOMPARE(lonely.errors().count(QLatin1String("session bus")), 1);
    // Still up a while later: the missing bus is no reason to stop.
    QTest::qWait(500);
    QVERIFY2(lonely.running(), qPrintable(lonely.errors()));
}

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
