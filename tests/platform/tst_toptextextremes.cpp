// Odd size texts in top's resident-size column. Cases found by fuzz/fuzz_top are kept here.
#include "platform/commands/TopText.h"

#include <QTest>

using namespace Kalvoren;

class TestTopTextExtremes : public QObject
{
    Q_OBJECT

private slots:
    void notASize_data();
    void notASize();
    void sizesReadBack_data();
    void sizesReadBack();
};

void TestTopTextExtremes::notASize_data()
{
    QTest::addColumn<QString>("text");
    // Found by the fuzzer: "nan" parses as a double, slipped past the negative check and was
    // converted to an integer, which is undefined (UBSan stops there).
    QTest::newRow("nan") << QStringLiteral("nan");
    QTest::newRow("NaN with unit") << QStringLiteral("NaNM");
    QTest::newRow("negative nan") << QStringLiteral("-nan");
    QTest::newRow("infinity") << QStringLiteral("inf");
    QTest::newRow("infinity in K") << QStringLiteral("infK");
    QTest::newRow("negative") << QStringLiteral("-5M");
    QTest::newRow("past 64 bits") << QStringLiteral("99999999P");
    QTest::newRow("only a unit") << QStringLiteral("M");
    QTest::newRow("only growth marks") << QStringLiteral("+-");
}

void TestTopTextExtremes::notASize()
{
    QFETCH(QString, text);
    QCOMPARE(residentSizeBytes(text), qint64(-1));
}

void TestTopTextExtremes::sizesReadBack_data()
{
    QTest::addColumn<quint64>("bytes");
    QTest::newRow("zero") << quint64(0);
    QTest::newRow("1023 B") << quint64(1023);
    QTest::newRow("1 KiB") << quint64(1024);
    QTest::newRow("just under 10000 K") << quint64(9999) * 1024;
    QTest::newRow("15 GiB") << (quint64(15) << 30);
    QTest::newRow("10000 K turns into M") << quint64(10000) * 1024 + 5;
    QTest::newRow("2^62") << (quint64(1) << 62);
}

void TestTopTextExtremes::sizesReadBack()
{
    // What the monitor writes it must read back, never more than the size itself and losing
    // less than one unit of the size written.
    QFETCH(quint64, bytes);
    const QString text = residentSizeText(bytes);
    const qint64 back = residentSizeBytes(text);
    QVERIFY2(back >= 0, qPrintable(text));
    QVERIFY2(quint64(back) <= bytes, qPrintable(text));
    const int shift = QByteArrayView("BKMGTP").indexOf(text.back().toLatin1()) * 10;
    QVERIFY2(shift >= 0, qPrintable(text));
    QVERIFY2(bytes - quint64(back) < (quint64(1) << shift) || shift == 0, qPrintable(text));
}

QTEST_APPLESS_MAIN(TestTopTextExtremes)
#include "tst_toptextextremes.moc"
