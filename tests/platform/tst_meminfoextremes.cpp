// Absurd and hostile /proc/meminfo texts: the readers must neither crash nor produce slices
// that do not add up. Cases found by fuzz/fuzz_meminfo are kept here as rows.
#include "platform/linux/ProcMemInfo.h"
#include "stats/MemoryFigures.h"

#include <QTest>

using namespace Kalvoren;

class TestMemInfoExtremes : public QObject
{
    Q_OBJECT

private slots:
    void partitionAddsUp_data();
    void partitionAddsUp();
    void hostileTextStillGivesASample_data();
    void hostileTextStillGivesASample();
};

void TestMemInfoExtremes::partitionAddsUp_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<quint64>("pageSize");
    QTest::addColumn<quint64>("expectedWired");

    QTest::newRow("ordinary")
            << QByteArray("MemTotal: 400 kB\nMemFree: 100 kB\nActive: 40 kB\nInactive: 60 kB\n")
            << quint64(4096) << quint64(50);
    QTest::newRow("named exceed total: wired floored at 0")
            << QByteArray("MemTotal: 40 kB\nMemFree: 40 kB\nActive: 40 kB\nInactive: 40 kB\n")
            << quint64(4096) << quint64(0);
    // Found by the fuzzer: with 1 kB pages the sum of the named counters wrapped around 2^64
    // to 1 page, and the whole of MemTotal less that page came out as wired.
    QTest::newRow("sum of named counters past 2^64")
            << QByteArray("MemTotal: 5 kB\nMemFree: 18446744073709551615 kB\nActive: 2 kB\n"
                          "Inactive: 0 kB\n")
            << quint64(1024) << quint64(0);
    QTest::newRow("every counter at the 64-bit limit")
            << QByteArray("MemTotal: 18446744073709551615 kB\nMemFree: 18446744073709551615 kB\n"
                          "Active: 18446744073709551615 kB\nInactive: 18446744073709551615 kB\n")
            << quint64(1024) << quint64(0);
}

void TestMemInfoExtremes::partitionAddsUp()
{
    QFETCH(QByteArray, text);
    QFETCH(quint64, pageSize);
    QFETCH(quint64, expectedWired);

    const MemoryPartitionResult result = partitionMemory(parseMemInfo(text), pageSize);
    QVERIFY2(result.error.isEmpty(), qPrintable(result.error));
    QCOMPARE(result.partition.wiredPages, expectedWired);
}

void TestMemInfoExtremes::hostileTextStillGivesASample_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("renders");

    const QByteArray fields("MemTotal: 8000 kB\nMemFree: 1000 kB\nActive: 2000 kB\n"
                            "Inactive: 3000 kB\n");
    QTest::newRow("value with more digits than 64 bits hold is dropped")
            << QByteArray("MemTotal: 99999999999999999999999 kB\n") + fields << true;
    QTest::newRow("only overflowing values") << QByteArray("MemTotal: 99999999999999999999999 kB\n"
                                                           "MemFree: 1 kB\nActive: 1 kB\n"
                                                           "Inactive: 1 kB\n")
                                             << false;
    static const char noise[] = "\0\xff\xfe:\n:::\n\x01MemTotal\0: 5\n";
    QTest::newRow("NUL bytes and binary noise")
            << QByteArray(noise, sizeof noise - 1) + fields << true;
    QTest::newRow("colon with no name, name with no value")
            << QByteArray(":\n: 12 kB\nMemFree:\nActive:   \n") + fields << true;
    QTest::newRow("a single line without newline") << QByteArray("MemTotal: 1") << false;
    QTest::newRow("empty") << QByteArray() << false;
}

void TestMemInfoExtremes::hostileTextStillGivesASample()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, renders);

    const std::optional<MemorySample> sample =
            sampleFromMemInfo(parseMemInfo(text), parseVmCounters(text), 4096);
    QCOMPARE(sample.has_value(), renders);
    if (!renders)
        return;
    // The classes add up to MemTotal, in the figures and in the vm_stat layout alike.
    QCOMPARE(figuresFromSample(*sample).totalRam * 1024 * 1024, 8000.0f);
    const std::optional<MemoryFigures> rendered = figuresFromVmStat(
            QString::fromLatin1(renderVmStat(*sample)), VmStatPattern::EightGroups);
    QVERIFY(rendered.has_value());
    QCOMPARE(*rendered, figuresFromSample(*sample));
}

QTEST_APPLESS_MAIN(TestMemInfoExtremes)
#include "tst_meminfoextremes.moc"
