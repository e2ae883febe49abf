// The desktop program's sampling as the interface wires it: the first sample at start-up, the
// effects of a sample in their order, the icon cadence, failed samples, quitting.
#include "app/AppController.h"
#include "app/Interface.h"
#include "app/MainWindow.h"
#include "log/Logger.h"
#include "platform/Platform.h"
#include "stats/MemorySampler.h"
#include "views/StatsView.h"

#include <QApplication>
#include <QLabel>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace Kalvoren;

namespace {

QString vmStat(int freePages)
{
    return QStringLiteral("Mach Virtual Memory Statistics: (page size of 4096 bytes)\n"
                          "Pages free: %1.\nPages active: 123457.\nPages inactive: 54321.\n"
                          "Pages speculative: 1234.\nPages wired down: 76543.\n"
                          "Pageins: 1.\nPageouts: 2.\n").arg(freePages);
}

// Serves whatever vm_stat text the test puts in *text, read with the eight-group pattern.
class ScriptedPlatform : public Platform
{
public:
    explicit ScriptedPlatform(QString *text)
        : m_text(text)
    {
    }
    QString name() const override { return QStringLiteral("scripted"); }
    double frameworkVersion() const override { return 1038; }
    std::optional<MemorySample> readMemory(PlatformError *error) override
    {
        std::optional<MemorySample> sample =
                sampleFromVmStat(*m_text, patternForFrameworkVersion(1038));
        if (!sample)
            return readingFailed<MemorySample>(error, PlatformError::Kind::UnexpectedText,
                                               QStringLiteral("no match"));
        return sample;
    }

private:
    QString *m_text;
};

struct Fixture
{
    QString text = vmStat(31111);
    std::unique_ptr<Interface> ui = createInterface(std::make_unique<ScriptedPlatform>(&text));
    AppController &controller = *ui->controller;
    MemorySampler &sampler = *ui->sampler;

    QString label(const char *name) const
    {
        return ui->mainWindow->findChild<QLabel *>(QLatin1String(name))->text();
    }
};

} // namespace

class tst_AppController : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // The application-icon option is saved: keep it out of the user's settings.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settings.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settings.path());
    }
    void startUpShowsTheFirstSampleBeforeAnyTick();
    void sampleEffectsComeInOrder();
    void iconsRefreshOnSamplesOneFourSeven();
    void failedSampleKeepsEverythingAndTheCounter();
    void timerTicksSample();
    void quittingStopsSamplingAndRestoresTheIcon();

private:
    QTemporaryDir m_settings;
};

void tst_AppController::startUpShowsTheFirstSampleBeforeAnyTick()
{
    Fixture f;
    QCOMPARE(f.controller.verStr(), QStringLiteral("Version 3.5.0"));
    QCOMPARE(f.controller.verStrShort(), QStringLiteral("3.5.0"));
    f.controller.start();
    QCOMPARE(f.label("freeInfo"), QStringLiteral("126.35 MB"));
    QCOMPARE(f.label("inactiveInfo"), QStringLiteral("212.19 MB"));
    QCOMPARE(f.label("wiredInfo"), QStringLiteral("299.00 MB"));
    QCOMPARE(f.label("activeInfo"), QStringLiteral("482.25 MB"));
    QCOMPARE(f.label("ramView"), QStringLiteral("1.09 GB"));
    QCOMPARE(f.sampler.latestFigures().TotalUnused, 354983936);
    QCOMPARE(f.ui->mainWindow->statsView()->figures().Free, 132485120.0f);
    QCOMPARE(f.ui->logger->model()->rowCount(), 1);
    QCOMPARE(f.controller.iconRefreshCount(), 1);
    QVERIFY(f.sampler.isActive());
}

void tst_AppController::sampleEffectsComeInOrder()
{
    // The four texts, then the log, then the total, then the pie, then the icons.
    Fixture f;
    f.sampler.sampleNow();
    f.text = vmStat(0);
    QStringList seen;
    QObject::connect(f.ui->logger->model(), &QAbstractItemModel::rowsInserted, [&] {
        seen << QStringLiteral("log: free %1, total %2")
                        .arg(f.label("freeInfo"), f.label("ramView"));
    });
    QObject::connect(&f.controller, &AppController::iconsRefreshed, [&] {
        seen << QStringLiteral("icons: pie free %1")
                        .arg(double(f.ui->mainWindow->statsView()->figures().Free));
    });
    for (int i = 0; i < 3; ++i) // the icons come on the fourth sample
        f.sampler.sampleNow();
    QCOMPARE(seen.first(), QStringLiteral("log: free 4.82 MB, total 1.09 GB"));
    QCOMPARE(seen.last(), QStringLiteral("icons: pie free %1").arg(1234.0 * 4096));
    QCOMPARE(f.label("ramView"), QStringLiteral("0.97 GB"));
}

void tst_AppController::iconsRefreshOnSamplesOneFourSeven()
{
    Fixture f;
    QList<int> refreshedOn;
    for (int sample = 1; sample <= 10; ++sample) {
        const int before = f.controller.iconRefreshCount();
        f.sampler.sampleNow();
        if (f.controller.iconRefreshCount() != before)
            refreshedOn.append(sample);
    }
    QCOMPARE(refreshedOn, (QList<int> { 1, 4, 7, 10 }));
}

void tst_AppController::failedSampleKeepsEverythingAndTheCounter()
{
    Fixture f;
    f.sampler.sampleNow();
    const int counter = f.controller.iconCounter();
    f.text = QStringLiteral("vm_stat: command not found\n");
    QVERIFY(!f.sampler.sampleNow());
    QCOMPARE(f.sampler.latestFigures().Free, 132485120.0f);
    QCOMPARE(f.label("freeInfo"), QStringLiteral("126.35 MB"));
    QCOMPARE(f.controller.iconCounter(), counter);
    QCOMPARE(f.ui->logger->model()->rowCount(), 1);
    // Speculative line missing on a modern system: the eight-group pattern fails silently too.
    f.text = vmStat(1).remove(QRegularExpression(QStringLiteral("Pages speculative:[^\n]*\n")));
    QVERIFY(!f.sampler.sampleNow());
    QCOMPARE(f.label("freeInfo"), QStringLiteral("126.35 MB"));
    // The next good sample goes on as usual.
    f.text = vmStat(0);
    QVERIFY(f.sampler.sampleNow());
    QCOMPARE(f.label("freeInfo"), QStringLiteral("4.82 MB"));
    QCOMPARE(f.controller.iconCounter(), counter - 1);
}

void tst_AppController::timerTicksSample()
{
    Fixture f;
    f.controller.start();
    f.text = vmStat(0);
    QTRY_COMPARE_WITH_TIMEOUT(f.label("freeInfo"), QStringLiteral("4.82 MB"),
                              3 * MemorySampler::intervalMs);
}

void tst_AppController::quittingStopsSamplingAndRestoresTheIcon()
{
    QPixmap red(16, 16);
    red.fill(Qt::red);
    const QIcon original = QApplication::windowIcon();
    {
        Fixture f;
        f.controller.start();
        f.controller.setShowsMemoryInAppIcon(true);
        QVERIFY(QApplication::windowIcon().cacheKey() != original.cacheKey());
        f.controller.prepareToQuit();
        QVERIFY(!f.sampler.isActive());
        QCOMPARE(QApplication::windowIcon().cacheKey(), original.cacheKey());
        f.controller.setShowsMemoryInAppIcon(false); // saved: the next start has it off
    }
    // With the option off the icon is left alone.
    Fixture g;
    g.controller.start();
    QApplication::setWindowIcon(QIcon(red));
    const qint64 key = QApplication::windowIcon().cacheKey();
    g.controller.prepareToQuit();
    QCOMPARE(QApplication::windowIcon().cacheKey(), key);
}

QTEST_MAIN(tst_AppController)
#include "tst_appcontroller.moc"
