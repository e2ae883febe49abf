// The start-up trace reads the process's start time out of /proc/self/stat; the command name
// in that line is free text, so the field must be counted after its last parenthesis.
#include "app/StartupTrace.h"

#include <QFile>
#include <QTest>

#include <time.h>
#include <unistd.h>

using namespace Kalvoren;

namespace {
// A real line (kernel 6.x), with the start time 4242 in field 22.
const QByteArray realLine = "12345 (kalvoren) S 1 12345 12345 0 -1 4194560 1234 0 0 0 5 3 0 0 20 "
                            "0 4 0 4242 123456789 5000 18446744073709551615 1 1 0 0 0 0 0 4096 "
                            "1260 0 0 0 17 1 0 0 0 0 0\n";
} // namespace

class TestStartupTrace : public QObject
{
    Q_OBJECT

private slots:
    void startTimeField_data();
    void startTimeField();
    void millisecondsFromTicks();
    void ownProcessIsYoung();
};

void TestStartupTrace::startTimeField_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<qint64>("expected"); // -1: no value

    QTest::newRow("plain name") << realLine << qint64(4242);
    QByteArray spaced = realLine;
    spaced.replace("(kalvoren)", "(a b) c (d)");
    QTest::newRow("name with spaces and parentheses") << spaced << qint64(4242);
    QTest::newRow("no closing parenthesis") << QByteArray("12345 kalvoren S 1 2 3") << qint64(-1);
    QTest::newRow("line cut short") << realLine.left(60) << qint64(-1);
    QByteArray garbled = realLine;
    garbled.replace(" 4242 ", " 42x2 ");
    QTest::newRow("not a number") << garbled << qint64(-1);
    QTest::newRow("empty") << QByteArray() << qint64(-1);
}

void TestStartupTrace::startTimeField()
{
    QFETCH(QByteArray, line);
    QFETCH(qint64, expected);

    const std::optional<quint64> ticks = startTimeTicks(line);
    QCOMPARE(ticks.has_value(), expected >= 0);
    if (ticks)
        QCOMPARE(qint64(*ticks), expected);
}

void TestStartupTrace::millisecondsFromTicks()
{
    // 100 ticks a second: tick 250 is 2.5 s after boot.
    QCOMPARE(millisecondsSince(250, 100, 2'560'000'000), qint64(60));
    QCOMPARE(millisecondsSince(250, 100, 2'500'000'000), qint64(0));
    // A clock read before the (truncated) start never gives a negative age.
    QCOMPARE(millisecondsSince(250, 100, 2'400'000'000), qint64(0));
    QCOMPARE(millisecondsSince(250, 0, 2'560'000'000), qint64(-1));
    // Months of uptime in ticks do not overflow.
    QCOMPARE(millisecondsSince(1'000'000'000, 100, 10'000'001'000'000'000), qint64(1000));
}

void TestStartupTrace::ownProcessIsYoung()
{
    // This test process started moments ago: its age read the same way is small and positive.
    QFile file(QStringLiteral("/proc/self/stat"));
    if (!file.open(QIODevice::ReadOnly))
        QSKIP("no /proc/self/stat");
    const std::optional<quint64> ticks = startTimeTicks(file.readAll());
    QVERIFY(ticks.has_value());
    timespec now {};
    QCOMPARE(clock_gettime(CLOCK_BOOTTIME, &now), 0);
    const qint64 age = millisecondsSince(*ticks, sysconf(_SC_CLK_TCK),
                                         qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec);
    QVERIFY2(age >= 0 && age < 10 * 60 * 1000, qPrintable(QString::number(age)));
}

QTEST_APPLESS_MAIN(TestStartupTrace)
#include "tst_startuptrace.moc"
