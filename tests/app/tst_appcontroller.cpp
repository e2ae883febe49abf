#include "app/AppController.h"
#include "platform/Platform.h"

#include <QApplication>
#include <QLabel>
#include <QTest>
#include <QRegularExpression>
#include <QTimer>

#include <thread>

namespace {

QString vmStat(int freePages)
{
    return QStringLiteral("Mach Virtual Memory Statistics: (page size of 4096 bytes)\n"
                          "Pages free: %1.\nPages active: 123457.\nPages inactive: 54321.\n"
                          "Pages speculative: 1234.\nPages wired down: 76543.\n"
                          "Pageins: 1.\nPageouts: 2.\n").arg(freePages);
}

// Serves whatever text the test puts in *text, counting the reads.
class ScriptedPlatform : public Kalvoren::Platform
{
public:
    explicit ScriptedPlatform(QString *text)
        : m_text(text)
    {
    }
    QString name() const override { return QStringLiteral("scripted"); }
    double frameworkVersion() const override { return 1038; }
    QString vmStatText(QString *) override { return *m_text; }

private:
    QString *m_text;
};

struct Fixture
{
    QString text = vmStat(31111);
    QLabel freeInfo, inactiveInfo, wiredInfo, activeInfo, ramView;
    AppController controller { std::make_unique<ScriptedPlatform>(&text) };

    Fixture()
    {
        controller.freeInfo = &freeInfo;
        controller.inactiveInfo = &inactiveInfo;
        controller.wiredInfo = &wiredInfo;
        controller.activeInfo = &activeInfo;
        controller.ramView = &ramView;
    }
};

} // namespace

class tst_AppController : public QObject
{
    Q_OBJECT

private slots:
    void startUpShowsTheFirstSampleBeforeAnyTick();
    void iconsRefreshOnSamplesOneFourSeven();
    void failedSampleKeepsEverythingAndTheCounter();
    void timerTicksSample();
    void terminationStopsTheTimerAndRestoresTheIcon();
    void figuresCanBeReadFromAnotherThread();
};

void tst_AppController::startUpShowsTheFirstSampleBeforeAnyTick()
{
    Fixture f;
    QCOMPARE(f.controller.verStr(), QStringLiteral("Version 3.5.0"));
    QCOMPARE(f.controller.verStrShort(), QStringLiteral("3.5.0"));
    QCOMPARE(f.controller.Free(), 0.0f);
    f.controller.awakeFromNib();
    QCOMPARE(f.freeInfo.text(), QStringLiteral("126.35 MB"));
    QCOMPARE(f.inactiveInfo.text(), QStringLiteral("212.19 MB"));
    QCOMPARE(f.wiredInfo.text(), QStringLiteral("299.00 MB"));
    QCOMPARE(f.activeInfo.text(), QStringLiteral("482.25 MB"));
    QCOMPARE(f.ramView.text(), QStringLiteral("1.09 GB"));
    QCOMPARE(f.controller.TotalUnused(), 354983936);
    QCOMPARE(f.controller.iconRefreshCount(), 1);
    QVERIFY(f.controller.timer());
    QVERIFY(f.controller.timer()->isActive());
    QCOMPARE(f.controller.timer()->interval(), 2000);
}

void tst_AppController::iconsRefreshOnSamplesOneFourSeven()
{
    Fixture f;
    QList<int> refreshedOn;
    for (int sample = 1; sample <= 10; ++sample) {
        const int before = f.controller.iconRefreshCount();
        f.controller.updateMemoryStats();
        if (f.controller.iconRefreshCount() != before)
            refreshedOn.append(sample);
    }
    QCOMPARE(refreshedOn, (QList<int> { 1, 4, 7, 10 }));
}

void tst_AppController::failedSampleKeepsEverythingAndTheCounter()
{
    Fixture f;
    f.controller.updateMemoryStats();
    const int counter = f.controller.iconCounter();
    const float freeBefore = f.controller.Free();
    f.text = QStringLiteral("vm_stat: command not found\n");
    f.controller.updateMemoryStats();
    QCOMPARE(f.controller.Free(), freeBefore);
    QCOMPARE(f.freeInfo.text(), QStringLiteral("126.35 MB"));
    QCOMPARE(f.controller.iconCounter(), counter);
    // Speculative line missing on a modern system: the eight-group pattern fails silently too.
    f.text = vmStat(1).remove(QRegularExpression(QStringLiteral("Pages speculative:[^\n]*\n")));
    f.controller.updateMemoryStats();
    QCOMPARE(f.freeInfo.text(), QStringLiteral("126.35 MB"));
    // The next good sample goes on as usual.
    f.text = vmStat(0);
    f.controller.updateMemoryStats();
    QCOMPARE(f.freeInfo.text(), QStringLiteral("4.82 MB"));
    QCOMPARE(f.controller.iconCounter(), counter - 1);
}

void tst_AppController::timerTicksSample()
{
    Fixture f;
    f.controller.awakeFromNib();
    f.controller.timer()->setInterval(10);
    f.text = vmStat(0);
    QTRY_COMPARE(f.freeInfo.text(), QStringLiteral("4.82 MB"));
    QVERIFY(!f.controller.timerProcActive());
}

void tst_AppController::terminationStopsTheTimerAndRestoresTheIcon()
{
    Fixture f;
    f.controller.awakeFromNib();
    QPixmap red(16, 16);
    red.fill(Qt::red);
    const QIcon original = QApplication::windowIcon();
    f.controller.setOptUpdatesAppIcon(true);
    QApplication::setWindowIcon(QIcon(red));
    QVERIFY(f.controller.applicationShouldTerminate());
    QVERIFY(!f.controller.timer()->isActive());
    QCOMPARE(QApplication::windowIcon().cacheKey(), original.cacheKey());

    // With the option off the icon is left alone.
    Fixture g;
    g.controller.awakeFromNib();
    QApplication::setWindowIcon(QIcon(red));
    const qint64 key = QApplication::windowIcon().cacheKey();
    QVERIFY(g.controller.applicationShouldTerminate());
    QCOMPARE(QApplication::windowIcon().cacheKey(), key);
}

void tst_AppController::figuresCanBeReadFromAnotherThread()
{
    Fixture f;
    f.controller.updateMemoryStats();
    float free = 0, inactive = 0;
    std::thread worker([&] {
        free = f.controller.property("Free").toFloat();
        inactive = f.controller.property("Inactive").toFloat();
    });
    worker.join();
    QCOMPARE(free, 132485120.0f);
    QCOMPARE(inactive, 222498816.0f);
}

QTEST_MAIN(tst_AppController)
#include "tst_appcontroller.moc"
