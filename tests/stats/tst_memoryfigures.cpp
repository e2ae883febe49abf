#include "platform/commands/Kesh.h"
#include "stats/MemoryFigures.h"
#include "../support/TestData.h"
#include "../support/WorkedExample.h"

#include <QFile>
#include <QRegularExpression>
#include <QTest>

#include <clocale>
#include <limits>

using namespace Kalvoren;

namespace {

QString readData(const QString &name)
{
    return QString::fromUtf8(KalvorenTest::testData(QStringLiteral("vm_stat/") + name));
}

} // namespace

class tst_MemoryFigures : public QObject
{
    Q_OBJECT

private slots:
    void workedExampleWithEightGroups();
    void workedExampleWithSevenGroups();
    void patternChoice();
    void capturedOutputs_data();
    void capturedOutputs();
    void modernPatternRejectsTextWithoutSpeculativeLine();
    void noMatchGivesNothing();
    void sameFiguresAsThePatternOnTheWholeText_data();
    void sameFiguresAsThePatternOnTheWholeText();
    void textsUseAPointWhateverTheLocale();
    void oneGibibyteStaysInMegabytes();
    void exactTiesRoundToEvenAsPrintfDoes();
    void largeCountsLoseLowBitsButNotTheirSize();
    void totalUnusedClampsInsteadOfWrapping();
};

void tst_MemoryFigures::workedExampleWithEightGroups()
{
    const auto f = figuresFromVmStat(QString::fromLatin1(workedExample), VmStatPattern::EightGroups);
    QVERIFY(f);
    QCOMPARE(f->Free, 132485120.0f);
    QCOMPARE(f->Inactive, 222498816.0f);
    QCOMPARE(f->Wired, 313520128.0f);
    QCOMPARE(f->Active, 505679872.0f);
    QCOMPARE(f->TotalUnused, 354983936);
    QCOMPARE(f->Ins, 999001.0f);
    QCOMPARE(f->Outs, 2002.0f);
    const MemoryTexts t = textsFor(*f);
    QCOMPARE(t.free, QStringLiteral("126.35 MB"));
    QCOMPARE(t.inactive, QStringLiteral("212.19 MB"));
    QCOMPARE(t.wired, QStringLiteral("299.00 MB"));
    QCOMPARE(t.active, QStringLiteral("482.25 MB"));
    QCOMPARE(t.total, QStringLiteral("1.09 GB"));
}

void tst_MemoryFigures::workedExampleWithSevenGroups()
{
    // The seven-group ".*" runs past the speculative line: free leaves it out.
    const auto f = figuresFromVmStat(QString::fromLatin1(workedExample), VmStatPattern::SevenGroups);
    QVERIFY(f);
    QCOMPARE(f->Free, 127430656.0f);
    QCOMPARE(megabytesText(f->Free), QStringLiteral("121.53 MB"));
    QCOMPARE(f->TotalUnused, 349929472);
    QCOMPARE(f->Inactive, 222498816.0f);
    QCOMPARE(f->Wired, 313520128.0f);
    QCOMPARE(f->Active, 505679872.0f);
    QCOMPARE(f->Ins, 999001.0f);
    QCOMPARE(f->Outs, 2002.0f);
}

void tst_MemoryFigures::patternChoice()
{
    QCOMPARE(patternForFrameworkVersion(1038.0), VmStatPattern::EightGroups);
    QCOMPARE(patternForFrameworkVersion(1038.9), VmStatPattern::EightGroups);
    QCOMPARE(patternForFrameworkVersion(1037.99), VmStatPattern::SevenGroups);
    QCOMPARE(patternForFrameworkVersion(949.0), VmStatPattern::SevenGroups);
    QCOMPARE(patternForText(QString::fromLatin1(workedExample)), VmStatPattern::EightGroups);
    QCOMPARE(patternForText(readData(QStringLiteral("benchmarkdotnet-osx-10.4-format-normalized.txt"))),
             VmStatPattern::SevenGroups);
}

void tst_MemoryFigures::capturedOutputs_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("free");
    QTest::addColumn<QString>("inactive");
    QTest::addColumn<QString>("wired");
    QTest::addColumn<QString>("active");
    QTest::addColumn<QString>("total");
    QTest::addColumn<double>("pageins");
    QTest::addColumn<double>("pageouts");
    auto addRow = [](const char *file, const char *free, const char *inactive, const char *wired,
                     const char *active, const char *total, double ins, double outs) {
        QTest::newRow(file) << QString::fromLatin1(file) << QString::fromLatin1(free)
                            << QString::fromLatin1(inactive) << QString::fromLatin1(wired)
                            << QString::fromLatin1(active) << QString::fromLatin1(total) << ins
                            << outs;
    };
    // Expected texts worked out by hand from each capture's page counts.
    addRow("aircloak-macos-2017-intel-4k.txt", "215.85 MB", "2640.35 MB", "1548.12 MB", "2856.25 MB", "7.09 GB", 7331331, 211761);
    addRow("ansible-macos-apple-silicon-16k.txt", "385.66 MB", "11108.45 MB", "2592.69 MB", "11407.05 MB", "24.90 GB", 21634062, 135974);
    addRow("facter2-osx-10.6-era.txt", "138.70 MB", "1910.37 MB", "1633.66 MB", "4502.25 MB", "7.99 GB", 13862917, 1384383);
    addRow("facter4-macos-intel-4k.txt", "9477.79 MB", "6185.49 MB", "3854.85 MB", "10363.31 MB", "29.18 GB", 8432517, 5901);
    addRow("ohai-osx-10.6-era.txt", "10494.63 MB", "738.78 MB", "1530.27 MB", "3610.02 MB", "15.99 GB", 630064, 0);
    addRow("benchmarkdotnet-osx-10.4-format-normalized.txt", "21.63 MB", "298.08 MB", "146.61 MB", "556.96 MB", "1.00 GB", 46357, 4453);
}

void tst_MemoryFigures::capturedOutputs()
{
    QFETCH(QString, file);
    const QString text = readData(file);
    const auto f = figuresFromVmStat(text, patternForText(text));
    QVERIFY(f);
    const MemoryTexts t = textsFor(*f);
    QTEST(t.free, "free");
    QTEST(t.inactive, "inactive");
    QTEST(t.wired, "wired");
    QTEST(t.active, "active");
    QTEST(t.total, "total");
    QFETCH(double, pageins);
    QFETCH(double, pageouts);
    QCOMPARE(f->Ins, float(pageins));
    QCOMPARE(f->Outs, float(pageouts));
}

void tst_MemoryFigures::modernPatternRejectsTextWithoutSpeculativeLine()
{
    const QString old = readData(QStringLiteral("benchmarkdotnet-osx-10.4-format-normalized.txt"));
    QVERIFY(!figuresFromVmStat(old, VmStatPattern::EightGroups));
    // Padding made of no-break spaces is not "[ ]+": the pasted copy matches neither pattern.
    const QString pasted = readData(QStringLiteral("benchmarkdotnet-osx-10.4-format-nbsp.txt"));
    QVERIFY(!figuresFromVmStat(pasted, VmStatPattern::SevenGroups));
}

void tst_MemoryFigures::noMatchGivesNothing()
{
    QVERIFY(!figuresFromVmStat(QString(), VmStatPattern::EightGroups));
    QVERIFY(!figuresFromVmStat(QStringLiteral("Pages free: 12."), VmStatPattern::SevenGroups));
    QVERIFY(!figuresFromVmStat(QStringLiteral("4096 bytes Pages free: 1. Pages active: 2."),
                               VmStatPattern::SevenGroups));
}

void tst_MemoryFigures::sameFiguresAsThePatternOnTheWholeText_data()
{
    // Texts small enough for the patterns on the whole text, with what makes a greedy ".*"
    // choose: repeated labels, a cut-off second output, labels without a number, a second
    // "bytes", and "bytes" only after the labels.
    const QString example = QString::fromLatin1(workedExample);
    QString other = example;
    other.replace(QLatin1String("4096"), QLatin1String("16384"))
            .replace(QLatin1String("31111"), QLatin1String("5"))
            .replace(QLatin1String("2002"), QLatin1String("7"));
    QTest::addColumn<QString>("text");
    QTest::newRow("worked example") << example;
    QTest::newRow("two outputs") << example + other;
    QTest::newRow("cut-off second output")
            << example + QStringLiteral("Pages free: 9.\nPages active: 8.\nPageins: 3.\n");
    QTest::newRow("labels without numbers")
            << example + QStringLiteral("Pages free: x\nPageouts:\nPageins:   \n");
    QTest::newRow("labels run together")
            << QStringLiteral("12 bytes Pages free:   1Pages active: 2Pages inactive: 3Pages "
                              "speculative: 4Pages wired down: 5Pageins: 6Pageouts: 78");
    QTest::newRow("bytes only after the labels") << example.mid(example.indexOf(u'\n'))
                    + QStringLiteral("(page size of 4096 bytes)\n");
    QTest::newRow("second bytes") << QStringLiteral("x 99 bytes\n") + example;
    QTest::newRow("seven groups only") << QString(example).remove(QRegularExpression(
            QStringLiteral("Pages speculative:[^\n]*\n")));
    for (const char *name : { "aircloak-macos-2017-intel-4k.txt", "ohai-osx-10.6-era.txt",
                              "benchmarkdotnet-osx-10.4-format-normalized.txt" })
        QTest::newRow(name) << readData(QLatin1String(name));
}

void tst_MemoryFigures::sameFiguresAsThePatternOnTheWholeText()
{
    QFETCH(QString, text);
    for (const auto pattern : { VmStatPattern::EightGroups, VmStatPattern::SevenGroups }) {
        const std::optional<MemorySample> whole =
                sampleFromValues(Kesh::quickMatches(text, patternText(pattern)), pattern);
        const std::optional<MemoryFigures> f = figuresFromVmStat(text, pattern);
        QCOMPARE(bool(f), bool(whole));
        if (!f)
            continue;
        QCOMPARE(*f, figuresFromSample(*whole));
    }
}

void tst_MemoryFigures::textsUseAPointWhateverTheLocale()
{
    const char *previous = std::setlocale(LC_ALL, nullptr);
    const QByteArray saved = previous ? QByteArray(previous) : QByteArray("C");
    const bool switched = std::setlocale(LC_ALL, "de_DE.UTF-8") || std::setlocale(LC_ALL, "fr_FR.UTF-8");
    QLocale::setDefault(QLocale(QLocale::German));
    const QString mb = megabytesText(1536.0f * 1024.0f);
    const QString gb = gigabytesText(1.5f);
    std::setlocale(LC_ALL, saved.constData());
    QLocale::setDefault(QLocale::c());
    QCOMPARE(mb, QStringLiteral("1.50 MB"));
    QCOMPARE(gb, QStringLiteral("1.50 GB"));
    if (!switched)
        qInfo("no German or French C locale installed; checked with Qt's default locale only");
}

void tst_MemoryFigures::oneGibibyteStaysInMegabytes()
{
    QCOMPARE(megabytesText(1073741824.0f), QStringLiteral("1024.00 MB"));
    QCOMPARE(megabytesText(64.0f * 1073741824.0f), QStringLiteral("65536.00 MB"));
}

void tst_MemoryFigures::exactTiesRoundToEvenAsPrintfDoes()
{
    // 32 pages of 4096 bytes are exactly 0.125 MB: printf's "%.2f" gives 0.12, not 0.13.
    QCOMPARE(megabytesText(32.0f * 4096.0f), QStringLiteral("0.12 MB"));
    QCOMPARE(megabytesText(96.0f * 4096.0f), QStringLiteral("0.38 MB")); // 0.375
    QCOMPARE(gigabytesText(1.125f), QStringLiteral("1.12 GB"));
    QCOMPARE(fixedText(-0.0078125, 6), QStringLiteral("-0.007812")); // the log's "%f"
    QCOMPARE(shownMegabytes(32.0f * 4096.0f), 0.12f);
}

void tst_MemoryFigures::largeCountsLoseLowBitsButNotTheirSize()
{
    // 2^24 + 1 pages cannot be held exactly in a 32-bit float; the figure rounds, it does not wrap.
    const QString text = QStringLiteral("(page size of 4096 bytes)\nPages free: 16777217.\n"
                                        "Pages active: 1.\nPages inactive: 1.\n"
                                        "Pages speculative: 0.\nPages wired down: 1.\n"
                                        "Pageins: 0.\nPageouts: 0.\n");
    const auto f = figuresFromVmStat(text, VmStatPattern::EightGroups);
    QVERIFY(f);
    QCOMPARE(f->Free, 16777216.0f * 4096.0f);
    QCOMPARE(megabytesText(f->Free), QStringLiteral("65536.00 MB"));
}

void tst_MemoryFigures::totalUnusedClampsInsteadOfWrapping()
{
    QCOMPARE(totalUnusedFrom(354983936.0f), 354983936);
    QCOMPARE(totalUnusedFrom(1.9f), 1);
    QCOMPARE(totalUnusedFrom(3.0e9f), std::numeric_limits<qint32>::max());
    QCOMPARE(totalUnusedFrom(2147483648.0f), std::numeric_limits<qint32>::max());
    QCOMPARE(totalUnusedFrom(-5.0e9f), std::numeric_limits<qint32>::min());
}

QTEST_APPLESS_MAIN(tst_MemoryFigures)
#include "tst_memoryfigures.moc"
