// The low-memory warning: when it is due, and that the desktop notification it sends carries
// an action that comes back as a request to optimize.
#include "../support/TestSupport.h"
#include "app/DesktopNotifier.h"
#include "stats/LowMemoryWatch.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QSignalSpy>
#include <QTest>

using namespace Kalvoren;

namespace {

constexpr quint64 gib = quint64(1) << 30;

MemorySample sample(double availableGib, double fullAvg10)
{
    MemorySample s;
    s.totalBytes = 16 * gib;
    if (availableGib >= 0)
        s.availableBytes = quint64(availableGib * double(gib));
    if (fullAvg10 >= 0)
        s.pressure = MemoryPressure { {}, MemoryPressure::Line { fullAvg10, 0, 0, 0 } };
    return s;
}

// Stands in for the desktop's notification service on a private bus.
class NotificationServer : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    QStringList summaries;
    QStringList actions;

public slots:
    uint Notify(const QString &, uint, const QString &, const QString &summary, const QString &,
                const QStringList &actionList, const QVariantMap &, int)
    {
        summaries << summary;
        actions = actionList;
        return 42;
    }
};

} // namespace

class TestLowMemoryNotice : public QObject
{
    Q_OBJECT

private slots:
    void warningIsDueAfterTwoLowSamplesAtMostEveryTenMinutes_data()
    {
        QTest::addColumn<QList<MemorySample>>("samples");
        QTest::addColumn<QList<qint64>>("minutes");
        QTest::addColumn<QList<bool>>("warned");
        const MemorySample fine = sample(8, 0);
        const MemorySample short_ = sample(1.5, 0); // under a tenth of 16 GiB
        const MemorySample stalled = sample(8, 12); // full pressure above 10 %
        const MemorySample silent = sample(-1, -1); // says neither: never low
        QTest::newRow("one low sample is not enough")
                << QList<MemorySample> { fine, short_, fine, short_ }
                << QList<qint64> { 0, 1, 2, 3 } << QList<bool> { false, false, false, false };
        QTest::newRow("two in a row, by either measure")
                << QList<MemorySample> { short_, stalled, stalled }
                << QList<qint64> { 0, 1, 2 } << QList<bool> { false, true, false };
        QTest::newRow("again only after ten minutes")
                << QList<MemorySample> { short_, short_, short_, short_, short_ }
                << QList<qint64> { 0, 1, 5, 10, 11 } << QList<bool> { false, true, false, false, true };
        QTest::newRow("a system that does not say")
                << QList<MemorySample> { silent, silent } << QList<qint64> { 0, 1 }
                << QList<bool> { false, false };
    }
    void warningIsDueAfterTwoLowSamplesAtMostEveryTenMinutes()
    {
        QFETCH(QList<MemorySample>, samples);
        QFETCH(QList<qint64>, minutes);
        QFETCH(QList<bool>, warned);
        LowMemoryWatch watch;
        QList<bool> got;
        for (qsizetype i = 0; i < samples.size(); ++i)
            got << watch.sampleTaken(samples.at(i), minutes.at(i) * 60000);
        QCOMPARE(got, warned);
    }

    void notificationActionAsksToOptimize()
    {
        KalvorenTest::PrivateBus bus;
        QString why;
        if (!bus.start(&why))
            QSKIP(qPrintable(why));
        QDBusConnection server = QDBusConnection::connectToBus(bus.address(), "server");
        NotificationServer notifications;
        QVERIFY(server.registerObject("/org/freedesktop/Notifications", &notifications,
                                      QDBusConnection::ExportAllSlots));
        QVERIFY(server.registerService("org.freedesktop.Notifications"));

        DesktopNotifier notifier(QDBusConnection::connectToBus(bus.address(), "client"));
        QSignalSpy invoked(&notifier, &DesktopNotifier::actionInvoked);
        notifier.notify("Memory is running low", "body", "Optimize Now");
        QTRY_COMPARE(notifications.summaries, QStringList { "Memory is running low" });
        QCOMPARE(notifications.actions, (QStringList { "default-action", "Optimize Now" }));

        // Another notification's action, or another key, is not ours.
        const auto emitAction = [&server](uint id, const QString &key) {
            QDBusMessage signal = QDBusMessage::createSignal("/org/freedesktop/Notifications",
                                                             "org.freedesktop.Notifications",
                                                             "ActionInvoked");
            signal << id << key;
            server.send(signal);
        };
        emitAction(7, "default-action");
        emitAction(42, "other");
        QTest::qWait(50); // the reply with the id 42 has come back
        emitAction(42, "default-action");
        QTRY_COMPARE(invoked.size(), 1);
        QTest::qWait(50);
        QCOMPARE(invoked.size(), 1);
    }
};

QTEST_MAIN(TestLowMemoryNotice)
#include "tst_lowmemorynotice.moc"
