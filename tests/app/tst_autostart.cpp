#include "app/Autostart.h"
#include "../support/FullDisk.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace Kalvoren;

namespace {

// Reads Exec back as a desktop session would: undo the string escapes, then the quoting,
// then the doubled percent signs.
QString execProgram(const QByteArray &entry)
{
    QString exec;
    for (const QByteArray &line : entry.split('\n')) {
        if (line.startsWith("Exec="))
            exec = QString::fromUtf8(line.mid(5));
    }
    QString unescaped;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        if (exec[i] == QLatin1Char('\\') && i + 1 < exec.size()) {
            ++i;
            unescaped += exec[i] == QLatin1Char('n') ? QChar(QLatin1Char('\n')) : exec[i];
        } else {
            unescaped += exec[i];
        }
    }
    QString program;
    if (unescaped.startsWith(QLatin1Char('"'))) {
        for (qsizetype i = 1; i < unescaped.size() - 1; ++i) {
            if (unescaped[i] == QLatin1Char('\\'))
                ++i;
            program += unescaped[i];
        }
    } else {
        program = unescaped;
    }
    return program.replace(QLatin1String("%%"), QLatin1String("%"));
}

} // namespace

class tst_Autostart : public QObject
{
    Q_OBJECT

private slots:
    void execStartsTheRightProgram_data();
    void execStartsTheRightProgram();
    void writeCheckAndRemove();
    void hiddenEntryCountsAsOff();
    void failureIsReported();
    void fullDiskKeepsTheOldEntry();
};

void tst_Autostart::execStartsTheRightProgram_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("plain") << QStringLiteral("/usr/bin/kalvoren");
    QTest::newRow("spaces") << QStringLiteral("/home/a b/My Apps/kalvoren");
    QTest::newRow("shell characters") << QStringLiteral("/opt/$HOME/`id`/\"q\"/back\\slash/kalvoren");
    QTest::newRow("field code") << QStringLiteral("/opt/100%u/kalvoren");
}

void tst_Autostart::execStartsTheRightProgram()
{
    QFETCH(QString, path);
    const QByteArray entry = autostartEntry(path);
    QVERIFY(entry.startsWith("[Desktop Entry]\n"));
    QVERIFY(entry.contains("\nType=Application\n"));
    QCOMPARE(execProgram(entry), path);
    // Nothing but the Exec line carries the path, and no stray line breaks.
    QCOMPARE(entry.count('\n'), 8);
}

void tst_Autostart::writeCheckAndRemove()
{
    QTemporaryDir home;
    const QString path = home.filePath(QStringLiteral("config/autostart/kalvoren.desktop"));
    QVERIFY(!isStartAtLoginEnabled(path));
    QString error;
    QVERIFY(setStartAtLogin(true, QStringLiteral("/usr/bin/kalvoren"), &error, path));
    QVERIFY(isStartAtLoginEnabled(path));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), autostartEntry(QStringLiteral("/usr/bin/kalvoren")));
    file.close();
    QVERIFY(setStartAtLogin(false, QString(), &error, path));
    QVERIFY(!QFileInfo::exists(path));
    // Turning off what is already off is fine.
    QVERIFY(setStartAtLogin(false, QString(), &error, path));
}

void tst_Autostart::hiddenEntryCountsAsOff()
{
    QTemporaryDir home;
    const QString path = home.filePath(QStringLiteral("kalvoren.desktop"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[Desktop Entry]\nType=Application\nExec=kalvoren\nHidden=true\n");
    file.close();
    QVERIFY(!isStartAtLoginEnabled(path));
}

void tst_Autostart::failureIsReported()
{
    QTemporaryDir home;
    // A file where the folder should be: the folder cannot be made.
    const QString blocker = home.filePath(QStringLiteral("autostart"));
    QFile file(blocker);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QString error;
    QVERIFY(!setStartAtLogin(true, QStringLiteral("/usr/bin/kalvoren"), &error,
                             blocker + QStringLiteral("/kalvoren.desktop")));
    QVERIFY(!error.isEmpty());
}

void tst_Autostart::fullDiskKeepsTheOldEntry()
{
    FullDisk disk;
    if (!disk.ready())
        QSKIP(qPrintable(disk.why()));
    const QString path = disk.filePath(QStringLiteral("kalvoren.desktop"));
    const QByteArray old = autostartEntry(QStringLiteral("/opt/old/kalvoren"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(old) == old.size());
    file.close();
    QVERIFY(disk.fill());
    QString error;
    QVERIFY(!setStartAtLogin(true, QStringLiteral("/usr/bin/kalvoren"), &error, path));
    QVERIFY2(error.contains(QLatin1String("No space left on device")), qPrintable(error));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), old);
}

QTEST_GUILESS_MAIN(tst_Autostart)
#include "tst_autostart.moc"
