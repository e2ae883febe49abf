#include "stats/TextValue.h"

#include <QTest>

#include <limits>

using namespace Kalvoren;

class TestTextValue : public QObject
{
    Q_OBJECT

private slots:
    void intValueReadsTheLeadingWholeNumber_data();
    void intValueReadsTheLeadingWholeNumber();
};

void TestTextValue::intValueReadsTheLeadingWholeNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");
    QTest::newRow("plain") << "100" << 100;
    QTest::newRow("spaces and unit") << "  42 rows" << 42;
    QTest::newRow("negative") << "-7" << -7;
    QTest::newRow("plus") << "+8" << 8;
    QTest::newRow("fraction cut") << "3.9" << 3;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("letters") << "abc" << 0;
    QTest::newRow("sign only") << "-" << 0;
    QTest::newRow("too large clamps") << "99999999999999999999" << std::numeric_limits<int>::max();
    QTest::newRow("too small clamps") << "-99999999999" << std::numeric_limits<int>::min();
    QTest::newRow("int max") << "2147483647" << 2147483647;
}

void TestTextValue::intValueReadsTheLeadingWholeNumber()
{
    QFETCH(QString, text);
    QFETCH(int, value);
    QCOMPARE(intValue(text), value);
}

QTEST_GUILESS_MAIN(TestTextValue)
#include "tst_textvalue.moc"
