#include "platform/SettingsFile.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace Kalvoren;

class TestSettingsFile : public QObject
{
    Q_OBJECT

private slots:
    void onlyRegularFilesAreRead_data()
    {
        QTest::addColumn<QString>("name"); // under the configuration folder
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("refused");
        const QString own = QStringLiteral("Kalvoren/Kalvoren.conf");
        QTest::newRow("regular file") << own << "file" << false;
        QTest::newRow("link to a file") << own << "link" << false;
        QTest::newRow("absent") << own << "none" << false;
        QTest::newRow("fifo") << own << "fifo" << true;
        QTest::newRow("directory") << own << "directory" << true;
        QTest::newRow("fifo as organization file") << "Kalvoren.conf" << "fifo" << true;
    }

    void onlyRegularFilesAreRead()
    {
        QFETCH(QString, name);
        QFETCH(QString, kind);
        QFETCH(bool, refused);
        QTemporaryDir config;
        QVERIFY(config.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
        // Each row starts where QSettings looks by itself.
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config.path());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config.path());
        QVERIFY(QDir(config.path()).mkpath(QStringLiteral("Kalvoren")));
        const QString path = config.filePath(name);
        const QByteArray stored("[General]\nicon=2\n");
        auto write = [&](const QString &file) {
            QFile out(file);
            return out.open(QIODevice::WriteOnly) && out.write(stored) == stored.size();
        };
        if (kind == QLatin1String("file"))
            QVERIFY(write(path));
        if (kind == QLatin1String("link")) {
            QVERIFY(write(config.filePath(QStringLiteral("elsewhere.conf"))));
            QVERIFY(QFile::link(config.filePath(QStringLiteral("elsewhere.conf")), path));
        }
        if (kind == QLatin1String("fifo"))
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        if (kind == QLatin1String("directory"))
            QVERIFY(QDir().mkpath(path));

        if (refused)
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("is not a regular file"));
        const QString kalvoren = QStringLiteral("Kalvoren");
        QCOMPARE(refuseIrregularSettingsFile(kalvoren, kalvoren), refused ? path : QString());
        // Reading a FIFO would block for good: the alarm ends the test instead of hanging it.
        ::alarm(20);
        const QVariant icon = QSettings(QStringLiteral("Kalvoren"), QStringLiteral("Kalvoren"))
                                      .value(QStringLiteral("icon"));
        ::alarm(0);
        QCOMPARE(icon.toInt(), kind == QLatin1String("file") || kind == QLatin1String("link")
                         ? 2 : 0);
    }
};

QTEST_GUILESS_MAIN(TestSettingsFile)
#include "tst_settingsfile.moc"
