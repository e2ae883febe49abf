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

// Figures of free, inactive, wired and active memory, in MB.
Kalvoren::MemoryFigures figures(double free, double inactive, double wired, double active)
{
    Kalvoren::MemoryFigures f;
    f.Free = float(free * 1048576.0);
    f.Inactive = float(inactive * 1048576.0);
    f.Wired = float(wired * 1048576.0);
    f.Active = float(active * 1048576.0);
    return f;
}

// Logs one sample with the four figures megabytes, + 1, + 2 and + 3.
void addSample(MemoryLogModel &model, double megabytes, int limit = 100)
{
    model.addItem(figures(megabytes, megabytes + 1, megabytes + 2, megabytes + 3), limit);
}

QStringList rowTexts(const MemoryLogModel &model, bool deltas, int row)
{
    QStringList texts;
    for (int column = MemoryLogModel::FreeColumn; column < MemoryLogModel::ColumnCount; ++column)
        texts << model.cellText(deltas, row, column);
    return texts;
}

QString sampleFree(const MemoryLogModel &model, int row)
{
    return model.cellText(false, row, MemoryLogModel::FreeColumn);
}

QString deltaFree(const MemoryLogModel &model, int row)
{
    return model.cellText(true, row, MemoryLogModel::FreeColumn);
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
    QCOMPARE(sampleFree(model, 0), mb(1049));
    QCOMPARE(sampleFree(model, model.rowCount() - 1), mb(1149));
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
        QCOMPARE(sampleFree(model, 0), mb(200 + i));
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
    QCOMPARE(sampleFree(model, model.rowCount() - 1), mb(999));
    QCOMPARE(sampleFree(model, 0), mb(100 + 290));
}

void TestMemoryLogModel::firstDeltaRowIsOneInEveryColumn()
{
    MemoryLogModel model;
    QCOMPARE(model.lastValues().free, -1.0f);
    addSample(model, 1234.56);
    QCOMPARE(rowTexts(model, true, 0),
             QStringList({ "1.000000", "1.000000", "1.000000", "1.000000" }));
    QCOMPARE(model.lastValues().free, 1234.56f);
    QCOMPARE(model.lastValues().active, 1237.56f);
}

void TestMemoryLogModel::deltaRowsGiveTheRelativeChangePerFigure()
{
    MemoryLogModel model;
    model.addItem(figures(100, 200, 400, 50), 100);
    model.addItem(figures(105, 196, 400, 75), 100);
    QCOMPARE(rowTexts(model, true, model.rowCount() - 1),
             QStringList({ "0.050000", "-0.020000", "0.000000", "0.500000" }));
    // The sample rows show the figures as the window does.
    QCOMPARE(rowTexts(model, false, model.rowCount() - 1),
             QStringList({ "105.00 MB", "196.00 MB", "400.00 MB", "75.00 MB" }));
}

void TestMemoryLogModel::zeroPreviousFigureStoresInfiniteAndNotANumberTexts()
{
    MemoryLogModel model;
    model.addItem(figures(0, 0, 10, 10), 100);
    model.addItem(figures(5, 0, 10, 10), 100);
    QCOMPARE(model.rowCount(), 2);
    const QStringList row = rowTexts(model, true, 1);
    QVERIFY(std::isinf(MemoryLogModel::delta(5, 0)));
    QVERIFY(std::isnan(MemoryLogModel::delta(0, 0)));
    QCOMPARE(row.at(0), MemoryLogModel::deltaText(MemoryLogModel::delta(5, 0)));
    QVERIFY2(row.at(0).contains(QLatin1String("inf")), qPrintable(row.at(0)));
    QVERIFY2(row.at(1).contains(QLatin1String("nan")), qPrintable(row.at(1)));
    QCOMPARE(row.at(2), QStringLiteral("0.000000"));
    // A figure below half a hundredth of a MB shows, and compares, as 0.00.
    model.addItem(figures(0.004, 0, 10, 10), 100);
    QCOMPARE(model.lastValues().free, 0.0f);
    QCOMPARE(deltaFree(model, 2), QStringLiteral("-1.000000"));
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
    model.addItem(figures(110, 101, 102, 103), 100);
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(deltaFree(model, 1), QStringLiteral("0.100000"));
    QCOMPARE(model.cellText(true, 1, MemoryLogModel::InactiveColumn), QStringLiteral("0.000000"));
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
    QCOMPARE(deltaFree(model, 0), QStringLiteral("0.500000"));
}

void TestMemoryLogModel::switchingListsKeepsRowCountAndChangesTexts()
{
    MemoryLogModel model;
    addSample(model, 100);
    addSample(model, 150);
    QVERIFY(model.showDeltas());
    QCOMPARE(model.data(model.index(1, MemoryLogModel::FreeColumn)).toString(), QStringLiteral("0.500000"));

    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    model.setShowDeltas(false);
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(model.data(model.index(1, MemoryLogModel::FreeColumn)).toString(), mb(150));
    QCOMPARE(changed.size(), 1);
    QCOMPARE(changed.first().at(1).toModelIndex(), model.index(1, MemoryLogModel::ActiveColumn));

    model.setShowDeltas(true);
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(model.data(model.index(1, MemoryLogModel::FreeColumn)).toString(), QStringLiteral("0.500000"));
}

void TestMemoryLogModel::editChangesOnlyTheShownRowsText()
{
    MemoryLogModel model;
    addSample(model, 100);
    addSample(model, 110);
    QVERIFY(model.flags(model.index(0, MemoryLogModel::WiredColumn)) & Qt::ItemIsEditable);

    QVERIFY(model.setData(model.index(1, MemoryLogModel::WiredColumn), QStringLiteral("edited")));
    QCOMPARE(model.cellText(true, 1, MemoryLogModel::WiredColumn), QStringLiteral("edited"));
    QCOMPARE(model.cellText(false, 1, MemoryLogModel::WiredColumn), mb(112));
    QCOMPARE(model.lastValues().wired, 112.0f);

    model.setShowDeltas(false);
    QVERIFY(model.setData(model.index(0, MemoryLogModel::FreeColumn), QStringLiteral("999.00 MB")));
    QCOMPARE(sampleFree(model, 0), QStringLiteral("999.00 MB"));
    QCOMPARE(deltaFree(model, 0), QStringLiteral("1.000000"));

    // Nothing is recomputed: the next delta still compares with the last logged figure.
    addSample(model, 121);
    QCOMPARE(deltaFree(model, 2), QStringLiteral("0.100000"));
    QVERIFY(!model.setData(model.index(5, MemoryLogModel::FreeColumn), QStringLiteral("x")));

    // An edit stays with its row while older rows drop out in front of it.
    QVERIFY(model.setData(model.index(2, MemoryLogModel::FreeColumn), QStringLiteral("kept")));
    addSample(model, 130, 1);
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(sampleFree(model, 0), QStringLiteral("kept"));
    QCOMPARE(sampleFree(model, 1), mb(130));
}

void TestMemoryLogModel::columnsCarryTheirIdentifiers()
{
    MemoryLogModel model;
    const QStringList expected = { "time", "free", "inactive", "wired", "active" };
    QCOMPARE(model.columnCount(), 5);
    for (int column = 0; column < 5; ++column) {
        QCOMPARE(model.headerData(column, Qt::Horizontal, MemoryLogModel::IdentifierRole)
                         .toString(),
                 expected.at(column));
        QCOMPARE(MemoryLogModel::columnForIdentifier(expected.at(column)), column);
    }
    QCOMPARE(MemoryLogModel::columnForIdentifier(u"total"), -1);

    const QDateTime at(QDate(2026, 12, 8), QTime(23, 59, 58));
    model.addItem(figures(10, 11, 12, 13), 100, at);
    model.setShowDeltas(false);
    QCOMPARE(model.data(model.index(0, MemoryLogModel::TimeColumn)).toString(),
             QStringLiteral("23:59:58"));
    QVERIFY(!(model.flags(model.index(0, MemoryLogModel::TimeColumn)) & Qt::ItemIsEditable));
    for (int column = MemoryLogModel::FreeColumn; column < 5; ++column)
        QCOMPARE(model.data(model.index(0, column)).toString(), mb(9 + column));
}

void TestMemoryLogModel::modelPassesTheItemModelTester()
{
    MemoryLogModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    for (int i = 0; i < 30; ++i)
        addSample(model, 100 + i, 20);
    addSample(model, 50, 3);
    model.setShowDeltas(false);
    model.setData(model.index(2, MemoryLogModel::FreeColumn), QStringLiteral("x"));
    model.clear();
    addSample(model, 60, 0);
    model.setShowDeltas(true);
    QCOMPARE(model.rowCount(), 1);
}

void TestMemoryLogModel::csvQuotesAwkwardTextsAndWritesTheTime()
{
    MemoryLogModel model;
    model.setShowDeltas(false);
    const QDateTime time(QDate(2024, 3, 5), QTime(7, 8, 9, 10), Qt::OffsetFromUTC, 3600);
    model.addItem(figures(1, 2, 3, 4), 100, time);
    model.addItem(figures(1, 2, 3, 4), 100, QDateTime());
    model.setData(model.index(0, MemoryLogModel::InactiveColumn), QStringLiteral("a,b"));
    model.setData(model.index(0, MemoryLogModel::WiredColumn), QStringLiteral("say \"hi\""));
    model.setData(model.index(0, MemoryLogModel::ActiveColumn), QStringLiteral("two\nlines"));
    const QList<QByteArray> lines = Kalvoren::logCsv(model).split('\n');
    QCOMPARE(lines.at(0), QByteArray("time,free_mb,inactive_mb,wired_mb,active_mb\r"));
    const QList<QByteArray> first = lines.at(1).split(',');
    // The time keeps its instant, whatever zone the machine writes it in.
    QCOMPARE(QDateTime::fromString(QString::fromLatin1(first.at(0)), Qt::ISODateWithMs), time);
    QVERIFY2(lines.at(1).endsWith(",1.00,\"a,b\",\"say \"\"hi\"\"\",\"two"), lines.at(1));
    QCOMPARE(lines.at(2), QByteArray("lines\"\r"));
    QCOMPARE(lines.at(3), QByteArray(",1.00,2.00,3.00,4.00\r"));
}

QTEST_GUILESS_MAIN(TestMemoryLogModel)
#include "tst_memorylogmodel.moc"
