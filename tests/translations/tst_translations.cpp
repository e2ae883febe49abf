// Kalvoren in German, as the programs load it at start (LANGUAGE=de, the translation from the
// build tree): the menu and the commands' help are German, what scripts read is not, and the
// C library keeps the point in numbers under a German locale.
#include "../support/FixedPlatform.h"
#include "app/AppController.h"
#include "app/Interface.h"
#include "log/LogCsv.h"
#include "log/MemoryLogModel.h"
#include "platform/Translations.h"

#include <QMenu>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>

#include <clocale>
#include <cstdlib>

using namespace Kalvoren;

namespace {

// The texts of a menu's items, its submenus' included, separators left out.
QStringList itemTexts(const QMenu *menu)
{
    QStringList texts;
    for (const QAction *action : menu->actions()) {
        if (action->isSeparator())
            continue;
        texts << action->text();
        if (action->menu())
            texts << itemTexts(action->menu());
    }
    return texts;
}

// Runs f as an English user sees it: with the installed translations taken out meanwhile.
template<typename F>
auto inEnglish(F f)
{
    const QList<QTranslator *> translators = qApp->findChildren<QTranslator *>();
    for (QTranslator *translator : translators)
        QCoreApplication::removeTranslator(translator);
    auto result = f();
    for (QTranslator *translator : translators)
        QCoreApplication::installTranslator(translator);
    return result;
}

QSet<QString> optionsIn(const QString &text)
{
    QSet<QString> options;
    static const QRegularExpression option(QStringLiteral("--[a-z][a-z-]*"));
    for (const QRegularExpressionMatch &m : option.globalMatch(text))
        options.insert(m.captured());
    return options;
}

} // namespace

class TestTranslations : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_locales; // a German locale made for the test (LOCPATH), or empty

    QStringList menuTexts()
    {
        auto state = std::make_shared<FixedPlatform::State>();
        state->text = FixedPlatform::vmStat({ 1000, 1000, 1000, 1000 });
        const std::unique_ptr<Interface> ui =
                createInterface(std::make_unique<FixedPlatform>(state));
        return itemTexts(ui->controller->statusMenu());
    }

    // The built kalvoren's standard output for arguments, run in German (with a German locale
    // where one could be made) or in English.
    QString run(const QStringList &arguments, bool german)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"),
                           m_dir.filePath(QStringLiteral("config")));
        environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        environment.remove(QStringLiteral("LANGUAGE"));
        if (german) {
            environment.insert(QStringLiteral("LANGUAGE"), QStringLiteral("de"));
            if (!m_locales.isEmpty()) {
                environment.insert(QStringLiteral("LOCPATH"), m_locales);
                environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("de_DE.UTF-8"));
            }
        }
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(KALVOREN_BINARY), arguments);
        if (!process.waitForFinished(60000) || process.exitCode() != 0)
            qWarning() << arguments << process.readAllStandardError();
        return QString::fromUtf8(process.readAllStandardOutput());
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.path());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.path());
        // The environment asks for German (see CMakeLists.txt), as a German user's does.
        QCOMPARE(applyUserLanguage(qApp, QStringLiteral(KALVOREN_TRANSLATIONS)),
                 QStringLiteral("de_DE"));

        // A German locale of the test's own, where the locale sources are installed.
        const QString localedef = QStandardPaths::findExecutable(QStringLiteral("localedef"));
        const QString locales = m_dir.filePath(QStringLiteral("locales"));
        if (!localedef.isEmpty()
            && QFile::exists(QStringLiteral("/usr/share/i18n/locales/de_DE"))
            && QDir().mkpath(locales)) {
            QProcess::execute(localedef, { QStringLiteral("-i"), QStringLiteral("de_DE"),
                                           QStringLiteral("-f"), QStringLiteral("UTF-8"),
                                           locales + QStringLiteral("/de_DE.UTF-8") });
            if (QFileInfo(locales + QStringLiteral("/de_DE.UTF-8/LC_NUMERIC")).exists())
                m_locales = locales;
        }
    }

    void menuIsGerman()
    {
        const QStringList german = menuTexts();
        const QStringList english = inEnglish([this] { return menuTexts(); });
        QCOMPARE(german.size(), english.size());
        QCOMPARE(german.first(), QStringLiteral("Kalvoren")); // the title: a name
        for (qsizetype i = 1; i < german.size(); ++i)
            QVERIFY2(german.at(i) != english.at(i), qPrintable(english.at(i)));
        QVERIFY(german.contains(QStringLiteral("Kalvoren beenden")));
    }

    // The help is German and names the same options: a translation that lost or misspelt one
    // would send users to an option that does not exist.
    void helpIsGerman_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("kalvoren") << QStringList { QStringLiteral("--help") };
        for (const char *command : { "stats", "optimize", "processes", "benchmark" }) {
            QTest::newRow(command)
                    << QStringList { QLatin1String(command), QStringLiteral("--help") };
        }
    }

    void helpIsGerman()
    {
        QFETCH(QStringList, arguments);
        const QString german = run(arguments, true);
        const QString english = run(arguments, false);
        QVERIFY(german.startsWith(QLatin1String("Aufruf: kalvoren")));
        QVERIFY(english.startsWith(QLatin1String("Usage: kalvoren")));
        QCOMPARE(optionsIn(german), optionsIn(english));
    }

    // What scripts read comes out the same in German, numbers with their points.
    void parsedTextsStayAsTheyAre_data()
    {
        const QString vmStat =
                QStringLiteral(KALVOREN_TEST_DATA "/vm_stat/facter4-macos-intel-4k.txt");
        const QString top = QStringLiteral(
                KALVOREN_TEST_DATA
                "/top/macos15-m1pro-l1-n15-o-cpu-stats-pid-command-cpu-mem-threads-state.txt");
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("stats")
                << QStringList { QStringLiteral("stats"), QStringLiteral("--from"), vmStat };
        QTest::newRow("stats --json")
                << QStringList { QStringLiteral("stats"), QStringLiteral("--json"),
                                 QStringLiteral("--from"), vmStat };
        QTest::newRow("stats --vm-stat")
                << QStringList { QStringLiteral("stats"), QStringLiteral("--vm-stat"),
                                 QStringLiteral("--from"), vmStat };
        QTest::newRow("processes")
                << QStringList { QStringLiteral("processes"), QStringLiteral("--from"), top };
        QTest::newRow("processes --json")
                << QStringList { QStringLiteral("processes"), QStringLiteral("--json"),
                                 QStringLiteral("--from"), top };
        QTest::newRow("benchmark")
                << QStringList { QStringLiteral("benchmark"), QStringLiteral("--total"),
                                 QStringLiteral("1"), QStringLiteral("--count"),
                                 QStringLiteral("1") };
    }

    void parsedTextsStayAsTheyAre()
    {
        QFETCH(QStringList, arguments);
        // The benchmark's time differs from run to run; the rest of its line may not.
        static const QRegularExpression seconds(QStringLiteral("\\b[0-9]+\\.[0-9]{6}\\b"));
        const QString english = run(arguments, false).replace(seconds, QStringLiteral("S"));
        QVERIFY(!english.isEmpty());
        QCOMPARE(run(arguments, true).replace(seconds, QStringLiteral("S")), english);
    }

    void csvHeaderStaysAsItIs()
    {
        const MemoryLogModel model;
        QCOMPARE(logCsv(model), inEnglish([&model] { return logCsv(model); }));
    }

    // Both programs apply the user's language after their application object has taken the
    // environment's locale for everything; strtod() must still read the point, as in
    // /proc/uptime, which the process list's CPU shares come from.
    void cLibraryKeepsThePointInAGermanLocale()
    {
        if (m_locales.isEmpty())
            QSKIP("No German locale could be made (package locales)");
        qputenv("LOCPATH", QFile::encodeName(m_locales));
        QVERIFY(std::setlocale(LC_ALL, "de_DE.UTF-8"));
        QCOMPARE(QByteArray(std::localeconv()->decimal_point), QByteArray(","));
        applyUserLanguage(qApp, QStringLiteral(KALVOREN_TRANSLATIONS));
        QCOMPARE(std::strtod("4711.25", nullptr), 4711.25);
        std::setlocale(LC_ALL, "C.UTF-8");
    }
};

QTEST_MAIN(TestTranslations)
#include "tst_translations.moc"
