#include "log/LogWindow.h"
#include "log/Logger.h"
#include "log/LoggerView.h"
#include "../support/FullDisk.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

// A Logger wired to a log window the way the interface does it.
struct LogFixture
{
    LogFixture()
    {
        logger.setMyTable(window.table());
        logger.chartView = window.chartView();
        logger.logBufferSize = window.rowLimitField();
        logger.displayDeltasCheckbox = window.deltasCheckBox();
        QObject::connect(window.deltasCheckBox(), &QCheckBox::clicked, &logger,
                         [this] { logger.followDeltasCheckBox(); });
    }
    void sample(int megabytes)
    {
        const float bytes = float(megabytes) * 1048576.0f;
        Kalvoren::MemoryFigures figures;
        figures.Free = figures.Inactive = figures.Wired = figures.Active = bytes;
        logger.addItem(figures);
    }
    QString shownCell(int row, int column = Kalvoren::MemoryLogModel::FreeColumn) const
    {
        const QAbstractItemModel *model = window.table()->model();
        return model->data(model->index(row, column)).toString();
    }

    LogWindow window;
    Logger logger;
};

} // namespace

class TestLogger : public QObject
{
    Q_OBJECT

private slots:
    void rowLimitIsReadFromTheFieldAtEachSample_data();
    void rowLimitIsReadFromTheFieldAtEachSample();
    void spinBoxWorksAsTheRowLimitField();
    void tableShowsDeltasAtStartUpWhateverTheBoxSays();
    void buttonsPauseResumeAndClear();
    void exportWritesTheShownRows();
    void exportFailureIsShownAndKeepsTheOldFile_data();
    void exportFailureIsShownAndKeepsTheOldFile();
};

void TestLogger::rowLimitIsReadFromTheFieldAtEachSample_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("rows");
    QTest::newRow("number") << "5" << 6;
    QTest::newRow("number with text") << "  7 rows" << 8;
    QTest::newRow("empty") << "" << 1;
    QTest::newRow("not a number") << "abc" << 1;
    QTest::newRow("negative") << "-3" << 1;
}

void TestLogger::rowLimitIsReadFromTheFieldAtEachSample()
{
    QFETCH(QString, field);
    QFETCH(int, rows);
    LogFixture f;
    f.window.rowLimitField()->setText(field);
    for (int i = 0; i < 20; ++i)
        f.sample(100 + i);
    QCOMPARE(f.window.table()->model()->rowCount(), rows);

    // Raised again, the limit lets the log grow from the next sample on.
    f.window.rowLimitField()->setText(QStringLiteral("100"));
    f.sample(500);
    QCOMPARE(f.window.table()->model()->rowCount(), rows + 1);
}

void TestLogger::spinBoxWorksAsTheRowLimitField()
{
    LogFixture f;
    QSpinBox spin;
    spin.setRange(0, 100000);
    spin.setValue(2);
    f.logger.logBufferSize = &spin;
    for (int i = 0; i < 6; ++i)
        f.sample(i + 1);
    QCOMPARE(f.logger.model()->items().size(), 3);
    f.logger.logBufferSize = nullptr; // no field reads as 0
    f.sample(9);
    QCOMPARE(f.logger.model()->items().size(), 1);
}

void TestLogger::tableShowsDeltasAtStartUpWhateverTheBoxSays()
{
    LogFixture f;
    f.window.deltasCheckBox()->setChecked(false);
    f.sample(100);
    f.sample(150);
    QVERIFY(f.logger.showDeltas());
    QCOMPARE(f.shownCell(1), QStringLiteral("0.500000"));

    // From the first click on, the table follows the box: off, then on again.
    f.window.deltasCheckBox()->click();
    QVERIFY(f.window.deltasCheckBox()->isChecked());
    QCOMPARE(f.shownCell(1), QStringLiteral("0.500000"));
    f.window.deltasCheckBox()->click();
    QCOMPARE(f.shownCell(1), QStringLiteral("150.00 MB"));
    QCOMPARE(f.window.table()->model()->rowCount(), 2);
}

void TestLogger::buttonsPauseResumeAndClear()
{
    LogFixture f;
    f.sample(100);
    f.logger.pauseLogging();
    QVERIFY(f.logger.stopped());
    f.sample(300);
    QCOMPARE(f.logger.model()->items().size(), 1);
    f.logger.resumeLogging();
    f.logger.clearLog();
    QCOMPARE(f.window.table()->model()->rowCount(), 0);
    f.sample(120);
    QCOMPARE(f.window.table()->model()->rowCount(), 1);
    QCOMPARE(f.shownCell(0), QStringLiteral("0.200000"));
}

void TestLogger::exportWritesTheShownRows()
{
    LogFixture f;
    f.sample(100);
    f.sample(110);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("log.csv"));
    QVERIFY(f.logger.exportRowsTo(path));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    QCOMPARE(lines.size(), 4); // header, two rows, and the empty rest after the last break
    QCOMPARE(lines.at(0),
             QByteArray("time,free_change,inactive_change,wired_change,active_change\r"));
    QVERIFY2(lines.at(2).endsWith(",0.100000,0.100000,0.100000,0.100000\r"), lines.at(2));
    // The time column parses back to the sample's time.
    const QDateTime time = QDateTime::fromString(QString::fromLatin1(lines.at(2).split(',').at(0)),
                                                 Qt::ISODateWithMs);
    QVERIFY(time.isValid());
    QVERIFY(qAbs(time.secsTo(QDateTime::currentDateTime())) < 60);

    f.window.deltasCheckBox()->click(); // checked -> unchecked: sample rows
    QVERIFY(f.logger.exportRowsTo(path));
    file.close(); // the save replaced the file: open the new one
    QVERIFY(file.open(QIODevice::ReadOnly));
    // Spreadsheets read numbers: the unit is in the header, not in the cells.
    const QByteArray samples = file.readAll();
    QVERIFY(samples.startsWith("time,free_mb,inactive_mb,wired_mb,active_mb\r\n"));
    QVERIFY(samples.contains(",110.00,110.00,110.00,110.00\r\n"));
}

void TestLogger::exportFailureIsShownAndKeepsTheOldFile_data()
{
    QTest::addColumn<bool>("fullDisk"); // else: the folder is missing
    QTest::newRow("missing folder") << false;
    QTest::newRow("full disk") << true;
}

void TestLogger::exportFailureIsShownAndKeepsTheOldFile()
{
    QFETCH(bool, fullDisk);
    LogFixture f;
    f.sample(100);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    FullDisk disk;
    QString path = dir.filePath(QStringLiteral("missing/log.csv"));
    const QByteArray old("time,free,inactive,wired,active\r\nan earlier export\r\n");
    if (fullDisk) {
        if (!disk.ready())
            QSKIP(qPrintable(disk.why()));
        path = disk.filePath(QStringLiteral("log.csv"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(old) == old.size());
        file.close();
        QVERIFY(disk.fill());
    }
    QString shownText;
    QTimer::singleShot(0, this, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        shownText = box->text();
        box->accept();
    });
    QVERIFY(!f.logger.exportRowsTo(path));
    QVERIFY2(shownText.contains(path), qPrintable(shownText));
    if (!fullDisk) {
        QVERIFY(!QFile::exists(path));
        return;
    }
    QVERIFY2(shownText.contains(QLatin1String("No space left on device")), qPrintable(shownText));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), old);
}

QTEST_MAIN(TestLogger)
#include "tst_logger.moc"
