#include "stats/TextValue.h"

#include <QTest>

#include <cmath>
#include <limits>

using namespace Kalvoren;

class TestTextValue : public QObject
{
    Q_OBJECT

private slots:
    void intValueReadsTheLeadingWholeNumber_data();
    void intValueReadsTheLeadingWholeNumber();
    void floatValueReadsTheLeadingDecimalNumber_data();
    void floatValueReadsTheLeadingDecimalNumber();
    void floatValueIgnoresTheLocale();
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

void TestTextValue::floatValueReadsTheLeadingDecimalNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<float>("value");
    QTest::newRow("megabytes") << "1234.56 MB" << 1234.56f;
    QTest::newRow("delta") << "-0.003100" << -0.0031f;
    QTest::newRow("leading point") << ".5" << 0.5f;
    QTest::newRow("exponent") << "1.5e3x" << 1500.0f;
    QTest::newRow("bare e") << "2e" << 2.0f;
    QTest::newRow("plus") << "+3.25" << 3.25f;
    QTest::newRow("nothing") << " MB" << 0.0f;
    QTest::newRow("point only") << "." << 0.0f;
    QTest::newRow("huge") << "1e999" << std::numeric_limits<float>::infinity();
    QTest::newRow("tiny") << "1e-999" << 0.0f;
}

void TestTextValue::floatValueReadsTheLeadingDecimalNumber()
{
    QFETCH(QString, text);
    QFETCH(float, value);
    QCOMPARE(floatValue(text), value);
}

void TestTextValue::floatValueIgnoresTheLocale()
{
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German));
    QCOMPARE(floatValue(u"12.50 MB"), 12.5f);
    QCOMPARE(floatValue(u"12,50 MB"), 12.0f);
    QLocale::setDefault(saved);
}

QTEST_GUILESS_MAIN(TestTextValue)
#include "tst_textvalue.moc"
