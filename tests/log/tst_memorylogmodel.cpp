#include "log/LogCsv.h"
#include "log/MemoryLogModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

#include <cmath>

using Kalvoren::MemoryLogModel;

namespace {

QString mb(double megabytes)
{
    return QString::asprintf("%.2f MB", megabytes);
}

// Logs one sample whose four figures are all `megabytes`, or distinct when asked.
void addSample(MemoryLogModel &model, double megabytes, int limit = 100)
{
    model.addItem(mb(megabytes), mb(megabytes + 1), mb(megabytes + 2), mb(megabytes + 3), limit);
}

QStringList rowTexts(const MemLogItem &row)
{
    return { row.free(), row.inactive(), row.wired(), row.active() };
}

} // namespace

class TestMemoryLogModel : public QObject
{
    Q_OBJECT

private slots:
    void keepsRowLimitPlusOneNewestRows();
    void limitOfZeroOrLessKeepsOnlyTheNewestRow_data();
    void limitOfZeroOrLessKeepsOnlyTheNewestRow();
    void loweredLimitTakesEffectAtTheNextSampleInOneRemoval();
    void firstDeltaRowIsOneInEveryColumn();
    void deltaRowsGiveTheRelativeChangePerFigure();
    void zeroPreviousFigureStoresInfiniteAndNotANumberTexts();
    void stoppedLogStoresNothingAndFreezesComparison();
    void clearEmptiesBothListsButKeepsComparison();
    void switchingListsKeepsRowCountAndChangesTexts();
    void editChangesOnlyTheShownRowsText();
    void columnsCarryTheirIdentifiers();
    void modelPassesTheItemModelTester();
    void csvQuotesAwkwardTextsAndWritesTheTime();
};

void TestMemoryLogModel::keepsRowLimitPlusOneNewestRows()
{
    MemoryLogModel model;
    for (int i = 0; i < 150; ++i) {
        addSample(model, 1000 + i, 100);
        QCOMPARE(model.rowCount(), qMin(i + 1, 101));
        QCOMPARE(model.items().size(), model.itemdeltas().size());
    }
    // The oldest rows dropped out: the first kept sample is number 49 (0-based).
    QCOMPARE(model.items().first().free(), mb(1049));
    QCOMPARE(model.items().last().free(), mb(1149));
}

void TestMemoryLogModel::limitOfZeroOrLessKeepsOnlyTheNewestRow_data()
{
    QTest::addColumn<int>("limit");
    QTest::newRow("zero") << 0;
    QTest::newRow("negative") << -5;
}

void TestMemoryLogModel::limitOfZeroOrLessKeepsOnlyTheNewestRow()
{
    QFETCH(int, limit);
    MemoryLogModel model;
    for (int i = 0; i < 4; ++i) {
        addSample(model, 200 + i, limit);
        QCOMPARE(model.rowCount(), 1);
        QCOMPARE(model.items().first().free(), mb(200 + i));
        QCOMPARE(model.itemdeltas().size(), 1);
    }
}

void TestMemoryLogModel::loweredLimitTakesEffectAtTheNextSampleInOneRemoval()
{
    MemoryLogModel model;
    for (int i = 0; i < 300; ++i)
        addSample(model, 100 + i, 500);
    QCOMPARE(model.rowCount(), 300);

    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    addSample(model, 999, 10);
    QCOMPARE(model.rowCount(), 11);
    QCOMPARE(removed.size(), 1);
    QCOMPARE(removed.first().at(1).toInt(), 0);
    QCOMPARE(removed.first().at(2).toInt(), 289);
    QCOMPARE(inserted.size(), 1);
    QCOMPARE(inserted.first().at(1).toInt(), 10);
    QCOMPARE(reset.size(), 0);
    QCOMPARE(model.items().last().free(), mb(999));
    QCOMPARE(model.items().first().free(), mb(100 + 290));
}

void TestMemoryLogModel::firstDeltaRowIsOneInEveryColumn()
{
    MemoryLogModel model;
    QCOMPARE(model.lastValues().free, -1.0f);
    addSample(model, 1234.56);
    QCOMPARE(rowTexts(model.itemdeltas().first()),
             QStringList({ "1.000000", "1.000000", "1.000000", "1.000000" }));
    QCOMPARE(model.lastValues().free, 1234.56f);
    QCOMPARE(model.lastValues().active, 1237.56f);
}

void TestMemoryLogModel::deltaRowsGiveTheRelativeChangePerFigure()
{
    MemoryLogModel model;
    model.addItem(mb(100), mb(200), mb(400), mb(50), 100);
    model.addItem(mb(105), mb(196), mb(400), mb(75), 100);
    QCOMPARE(rowTexts(model.itemdeltas().last()),
             QStringList({ "0.050000", "-0.020000", "0.000000", "0.500000" }));
    // The sample rows keep the texts exactly as given.
    QCOMPARE(rowTexts(model.items().last()),
             QStringList({ "105.00 MB", "196.00 MB", "400.00 MB", "75.00 MB" }));
}

void TestMemoryLogModel::zeroPreviousFigureStoresInfiniteAndNotANumberTexts()
{
    MemoryLogModel model;
    model.addItem(mb(0), mb(0), mb(10), mb(10), 100);
    model.addItem(mb(5), mb(0), mb(10), mb(10), 100);
    QCOMPARE(model.rowCount(), 2);
    const MemLogItem &row = model.itemdeltas().last();
    QVERIFY(std::isinf(MemoryLogModel::delta(5, 0)));
    QVERIFY(std::isnan(MemoryLogModel::delta(0, 0)));
    QCOMPARE(row.free(), MemoryLogModel::deltaText(MemoryLogModel::delta(5, 0)));
    QVERIFY2(row.free().contains(QLatin1String("inf")), qPrintable(row.free()));
    QVERIFY2(row.inactive().contains(QLatin1String("nan")), qPrintable(row.inactive()));
    QCOMPARE(row.wired(), QStringLiteral("0.000000"));
    // A text without a number reads as 0, like the field it came from.
    model.addItem(QStringLiteral("n/a"), mb(0), mb(10), mb(10), 100);
    QCOMPARE(model.lastValues().free, 0.0f);
    QCOMPARE(model.itemdeltas().last().free(), QStringLiteral("-1.000000"));
}

void TestMemoryLogModel::stoppedLogStoresNothingAndFreezesComparison()
{
    MemoryLogModel model;
    addSample(model, 100);
    model.stop();
    QVERIFY(model.stopped());
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    for (int i = 0; i < 5; ++i)
        addSample(model, 500 + i, 0); // even a lowered limit is not applied while stopped
    QCOMPARE(inserted.size(), 0);
    QCOMPARE(model.rowCount(), 1);
    QCOMPARE(model.lastValues().free, 100.0f);

    model.go();
    model.addItem(mb(110), mb(101), mb(102), mb(103), 100);
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(model.itemdeltas().last().free(), QStringLiteral("0.100000"));
    QCOMPARE(model.itemdeltas().last().inactive(), QStringLiteral("0.000000"));
}

void TestMemoryLogModel::clearEmptiesBothListsButKeepsComparison()
{
    MemoryLogModel model;
    addSample(model, 100);
    addSample(model, 200);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    model.clear();
    QCOMPARE(model.rowCount(), 0);
    QVERIFY(model.items().isEmpty());
    QVERIFY(model.itemdeltas().isEmpty());
    QCOMPARE(removed.size(), 1);

    addSample(model, 300);
    QCOMPARE(model.rowCount(), 1);
    // Compared with 200, the sample before the clearing, not with "no sample yet".
    QCOMPARE(model.itemdeltas().first().free(), QStringLiteral("0.500000"));
}

void TestMemoryLogModel::switchingListsKeepsRowCountAndChangesTexts()
{
    MemoryLogModel model;
    addSample(model, 100);
    addSample(model, 150);
    QVERIFY(model.showDeltas());
    QCOMPARE(model.data(model.index(1, 0)).toString(), QStringLiteral("0.500000"));

    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    model.setShowDeltas(false);
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(model.data(model.index(1, 0)).toString(), mb(150));
    QCOMPARE(changed.size(), 1);
    QCOMPARE(changed.first().at(1).toModelIndex(), model.index(1, 3));

    model.setShowDeltas(true);
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(model.data(model.index(1, 0)).toString(), QStringLiteral("0.500000"));
}

void TestMemoryLogModel::editChangesOnlyTheShownRowsText()
{
    MemoryLogModel model;
    addSample(model, 100);
    addSample(model, 110);
    QVERIFY(model.flags(model.index(0, 2)) & Qt::ItemIsEditable);

    QVERIFY(model.setData(model.index(1, 2), QStringLiteral("edited")));
    QCOMPARE(model.itemdeltas().at(1).wired(), QStringLiteral("edited"));
    QCOMPARE(model.items().at(1).wired(), mb(112));
    QCOMPARE(model.lastValues().wired, 112.0f);

    model.setShowDeltas(false);
    QVERIFY(model.setData(model.index(0, 0), QStringLiteral("999.00 MB")));
    QCOMPARE(model.items().at(0).free(), QStringLiteral("999.00 MB"));
    QCOMPARE(model.itemdeltas().at(0).free(), QStringLiteral("1.000000"));

    // Nothing is recomputed: the next delta still compares with the last logged figure.
    addSample(model, 121);
    QCOMPARE(model.itemdeltas().last().free(), QStringLiteral("0.100000"));
    QVERIFY(!model.setData(model.index(5, 0), QStringLiteral("x")));
}

void TestMemoryLogModel::columnsCarryTheirIdentifiers()
{
    MemoryLogModel model;
    const QStringList expected = { "free", "inactive", "wired", "active" };
    QCOMPARE(model.columnCount(), 4);
    for (int column = 0; column < 4; ++column) {
        QCOMPARE(model.headerData(column, Qt::Horizontal, MemoryLogModel::IdentifierRole)
                         .toString(),
                 expected.at(column));
        QCOMPARE(MemoryLogModel::columnForIdentifier(expected.at(column)), column);
    }
    QCOMPARE(MemoryLogModel::columnForIdentifier(u"total"), -1);

    addSample(model, 10);
    model.setShowDeltas(false);
    for (int column = 0; column < 4; ++column) {
        QCOMPARE(model.data(model.index(0, column)).toString(),
                 model.items().first().value(expected.at(column)));
    }
}

void TestMemoryLogModel::modelPassesTheItemModelTester()
{
    MemoryLogModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    for (int i = 0; i < 30; ++i)
        addSample(model, 100 + i, 20);
    addSample(model, 50, 3);
    model.setShowDeltas(false);
    model.setData(model.index(2, 1), QStringLiteral("x"));
    model.clear();
    addSample(model, 60, 0);
    model.setShowDeltas(true);
    QCOMPARE(model.rowCount(), 1);
}

void TestMemoryLogModel::csvQuotesAwkwardTextsAndWritesTheTime()
{
    MemLogItem row;
    row.setFree(QStringLiteral("1.00 MB"));
    row.setInactive(QStringLiteral("a,b"));
    row.setWired(QStringLiteral("say \"hi\""));
    row.setActive(QStringLiteral("two\nlines"));
    row.setSampledAt(QDateTime(QDate(2024, 3, 5), QTime(7, 8, 9, 10), Qt::OffsetFromUTC, 3600));
    MemLogItem undated;
    undated.setFree(QStringLiteral("2.00 MB"));
    const QByteArray csv = Kalvoren::logCsv({ row, undated });
    QCOMPARE(csv,
             QByteArray("time,free,inactive,wired,active\r\n"
                        "2024-03-05T07:08:09.010+01:00,1.00 MB,\"a,b\",\"say \"\"hi\"\"\","
                        "\"two\nlines\"\r\n"
                        ",2.00 MB,,,\r\n"));
}

QTEST_GUILESS_MAIN(TestMemoryLogModel)
#include "tst_memorylogmodel.moc"
