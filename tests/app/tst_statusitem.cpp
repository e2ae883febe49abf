// The tray side of the controller, driven through the real interface: the icon refresh
// cadence, the icon style and its setting, the panel's show/hide states, the menu and its
// links, and the application-icon option.
#include "../support/FixedPlatform.h"
#include "app/AppController.h"
#include "app/ContactLinks.h"
#include "app/Interface.h"
#include "app/MainWindow.h"
#include "app/MenuButton.h"
#include "app/StatusMenu.h"
#include "stats/MemorySampler.h"
#include "views/StatsView.h"

#include <QDesktopServices>
#include <QLabel>
#include <QProgressBar>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

using namespace Kalvoren;

namespace {

int trayWarnings = 0;
QtMessageHandler previousHandler = nullptr;

void countingHandler(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type == QtWarningMsg && text.contains(QLatin1String("No system tray found"))) {
        ++trayWarnings;
        return;
    }
    previousHandler(type, context, text);
}

QAction *actionTitled(QMenu *menu, const QString &title)
{
    for (QAction *action : menu->actions()) {
        if (action->text() == title)
            return action;
    }
    return nullptr;
}

QList<int> checkedTags(QMenu *menu)
{
    QList<int> tags;
    for (QAction *action : menu->actions()) {
        if (action->isChecked())
            tags.append(action->data().toInt());
    }
    return tags;
}

// Receives the URLs the program asks the desktop to open.
class UrlCatcher : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> urls;

public slots:
    void open(const QUrl &url) { urls.append(url); }
};

} // namespace

class TestStatusItem : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_settingsDir;
    std::shared_ptr<FixedPlatform::State> m_state;
    std::unique_ptr<Interface> m_ui;

    AppController *c() const { return m_ui->controller.get(); }
    MainWindow *w() const { return m_ui->mainWindow.get(); }
    QMenu *iconMenu() const
    {
        return c()->statusMenu()->findChild<QMenu *>(QStringLiteral("iconMenu"));
    }

    void start()
    {
        m_ui = createInterface(std::make_unique<FixedPlatform>(m_state));
    }

    void setPages(qint64 free, qint64 active, qint64 inactive, qint64 wired)
    {
        m_state->text = FixedPlatform::vmStat({ free, active, inactive, wired });
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_settingsDir.isValid());
        QCoreApplication::setOrganizationName(QStringLiteral("Kalvoren"));
        QCoreApplication::setApplicationName(QStringLiteral("Kalvoren"));
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settingsDir.path());
        previousHandler = qInstallMessageHandler(countingHandler);
        // The offscreen platform has no tray host: the no-tray path is the one under test
        // here; the end-to-end test covers a real tray.
        QVERIFY(!QSystemTrayIcon::isSystemTrayAvailable());
    }

    void cleanupTestCase() { qInstallMessageHandler(previousHandler); }

    void init()
    {
        QSettings().clear();
        QSettings().sync();
        trayWarnings = 0;
        m_state = std::make_shared<FixedPlatform::State>();
        setPages(1000, 1000, 1000, 1000);
    }

    void cleanup() { m_ui.reset(); }

    void iconsRefreshOnSamplesOneFourSeven()
    {
        start();
        QList<int> counts;
        QImage previous;
        for (int sample = 1; sample <= 7; ++sample) {
            // Different figures every sample: the icon only changes when it is redrawn.
            setPages(1000 * sample, 1000, 1000, 1000);
            m_ui->sampler->sampleNow();
            counts.append(c()->iconRefreshCount());
            const bool redrawn = c()->statusIcon() != previous;
            QCOMPARE(redrawn, sample % 3 == 1);
            previous = c()->statusIcon();
        }
        QCOMPARE(counts, (QList<int> { 1, 1, 1, 2, 2, 2, 3 }));

        // A sample that fails (no match) does not count towards the next refresh.
        m_state->text = QStringLiteral("garbage");
        m_ui->sampler->sampleNow();
        QCOMPARE(c()->iconRefreshCount(), 3);
        setPages(1000, 1000, 1000, 1000);
        m_ui->sampler->sampleNow();
        m_ui->sampler->sampleNow();
        QCOMPARE(c()->iconRefreshCount(), 3);
        m_ui->sampler->sampleNow();
        QCOMPARE(c()->iconRefreshCount(), 4);
    }

    void noTrayShowsAnOrdinaryWindowAndSaysSoOnce()
    {
        start();
        QVERIFY(!w()->isVisible());
        for (int sample = 0; sample < 7; ++sample)
            m_ui->sampler->sampleNow();
        QCOMPARE(c()->iconRefreshCount(), 3);
        QVERIFY(c()->statusItem() == nullptr);
        QVERIFY(!c()->panelMode());
        QVERIFY(w()->isVisible());
        QVERIFY(!(w()->windowFlags() & Qt::FramelessWindowHint));
        QCOMPARE(trayWarnings, 1);
        QVERIFY(w()->note()->isVisibleTo(w()));
        QVERIFY(w()->note()->text().contains(QLatin1String("AppIndicator")));

        // An ordinary window does not vanish when it loses focus: nothing could bring it back.
        c()->panelLostFocus();
        QVERIFY(w()->isVisible());

        // The next start logs again but does not repeat the note.
        m_ui.reset();
        trayWarnings = 0;
        start();
        m_ui->sampler->sampleNow();
        QCOMPARE(trayWarnings, 1);
        QVERIFY(w()->isVisible());
        QVERIFY(!w()->note()->isVisibleTo(w()));
    }

    void panelShowsAndHidesOnClicks()
    {
        start();
        m_ui->sampler->sampleNow(); // no tray: the window is open as an ordinary one
        QVERIFY(c()->mainWindowVisible());

        c()->trayIconClicked();
        QVERIFY(!c()->mainWindowVisible());
        QVERIFY(!w()->isVisible());

        c()->trayIconClicked();
        QVERIFY(c()->mainWindowVisible());
        QVERIFY(w()->isVisible());
        const Qt::WindowFlags panel =
                Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint;
        QCOMPARE(w()->windowFlags() & panel, panel);

        c()->trayIconClicked();
        QVERIFY(!c()->mainWindowVisible());
        QVERIFY(!w()->isVisible());

        // Shown again, at the new pointer position: 110 to the left, one below.
        const QRect screen = w()->screen()->availableGeometry();
        const QPoint pointer = screen.topLeft() + QPoint(300, 10);
        c()->showPanelUnder(QRect(pointer, QSize(1, 1)));
        QVERIFY(w()->isVisible());
        QCOMPARE(w()->pos(), pointer + QPoint(-110, 1));
        c()->trayIconClicked();
        // Near the right edge it is kept on the screen.
        c()->showPanelUnder(QRect(screen.right() - 5, screen.top() + 10, 1, 1));
        QCOMPARE(w()->frameGeometry().right(), screen.right());
        QCOMPARE(w()->pos().y(), screen.top() + 11);
    }

    void panelHidesWhenItLosesFocus()
    {
        start();
        m_ui->sampler->sampleNow();
        c()->trayIconClicked(); // hide the ordinary window
        c()->trayIconClicked(); // and show it as the panel
        QVERIFY(w()->isVisible());

        // The window system says the panel is no longer active.
        QEvent deactivate(QEvent::WindowDeactivate);
        QCoreApplication::sendEvent(w(), &deactivate);
        QVERIFY(!w()->isVisible());
        QVERIFY(!c()->mainWindowVisible());

        // The click on the tray icon that took the focus away arrives right after: it must
        // not show the panel again.
        c()->trayIconClicked();
        QVERIFY(!w()->isVisible());
        // The next click does.
        c()->trayIconClicked();
        QVERIFY(w()->isVisible());

        // A click well after the panel lost focus shows it at once.
        c()->panelLostFocus();
        QVERIFY(!w()->isVisible());
        QTest::qWait(400);
        c()->trayIconClicked();
        QVERIFY(w()->isVisible());
    }

    void panelKeepsItsSizeAndEscapeHidesIt()
    {
        start();
        m_ui->sampler->sampleNow();
        c()->trayIconClicked(); // hide the ordinary window
        c()->trayIconClicked(); // and show it as the panel
        QVERIFY(w()->isVisible());
        // Not resizable: what tiling Wayland compositors float instead of tiling.
        const QSize size = w()->size();
        QCOMPARE(w()->minimumSize(), size);
        QCOMPARE(w()->maximumSize(), size);

        // A run shows the progress bar and hides it again; wider figures come and go.
        w()->progress()->setVisible(true);
        w()->freeInfo()->setText(QStringLiteral("123456.78 MB"));
        QCoreApplication::processEvents();
        QCOMPARE(w()->size(), size);
        w()->progress()->setVisible(false);
        w()->freeInfo()->setText(QStringLiteral("1.00 MB"));
        QCoreApplication::processEvents();
        QCOMPARE(w()->size(), size);

        // Escape, from the window or from the widget with the focus, hides it.
        QTest::keyClick(w()->mainButton(), Qt::Key_Escape);
        QVERIFY(!w()->isVisible());
        QVERIFY(!c()->mainWindowVisible());
        c()->trayIconClicked();
        QVERIFY(w()->isVisible());
        QTest::keyClick(w(), Qt::Key_Escape);
        QVERIFY(!w()->isVisible());
    }

    void panelBroughtForwardByTheBusHidesOnFocusLoss()
    {
        // showWindow on the bus, a second start and OK on the notice before a run all bring
        // the window forward; the panel they show must behave as one a click showed.
        start();
        m_ui->sampler->sampleNow();
        c()->trayIconClicked(); // the panel, hidden
        c()->trayIconClicked();
        c()->trayIconClicked();
        QVERIFY(!w()->isVisible());

        c()->bringMainWindowForward();
        QVERIFY(w()->isVisible());
        QVERIFY(c()->mainWindowVisible());
        QEvent deactivate(QEvent::WindowDeactivate);
        QCoreApplication::sendEvent(w(), &deactivate);
        QVERIFY(!w()->isVisible());
        // The next click after that shows it (not: hides it).
        QTest::qWait(400);
        c()->trayIconClicked();
        QVERIFY(w()->isVisible());
    }

    void storedStyleIsRestored_data()
    {
        QTest::addColumn<QVariant>("stored"); // invalid: key absent
        QTest::addColumn<int>("mode");
        QTest::addColumn<QList<int>>("checked");
        QTest::addColumn<QVariant>("afterwards");

        // Style 0 is drawn, so its item is checked; nothing is written.
        QTest::newRow("absent") << QVariant() << 0 << QList<int> { 111 } << QVariant();
        QTest::newRow("0") << QVariant(0) << 0 << QList<int> { 111 } << QVariant(0);
        QTest::newRow("1") << QVariant(1) << 1 << QList<int> { 112 } << QVariant(1);
        // Written again as a plain number.
        QTest::newRow("02 as text") << QVariant(QStringLiteral("02")) << 2 << QList<int> { 113 }
                                    << QVariant(2);
        QTest::newRow("3") << QVariant(3) << 3 << QList<int> { 114 } << QVariant(3);
        QTest::newRow("7 ignored") << QVariant(7) << 0 << QList<int> { 111 } << QVariant(7);
        QTest::newRow("-1 ignored") << QVariant(-1) << 0 << QList<int> { 111 } << QVariant(-1);
        QTest::newRow("text ignored") << QVariant(QStringLiteral("colour")) << 0
                                      << QList<int> { 111 } << QVariant(QStringLiteral("colour"));
    }

    void storedStyleIsRestored()
    {
        QFETCH(QVariant, stored);
        QFETCH(int, mode);
        QFETCH(QList<int>, checked);
        QFETCH(QVariant, afterwards);
        if (stored.isValid()) {
            QSettings settings;
            settings.setValue(QStringLiteral("icon"), stored);
            settings.sync();
        }
        start(); // the interface restores the style before the first sample
        QCOMPARE(c()->iconStyle(), mode);
        QCOMPARE(checkedTags(iconMenu()), checked);
        const QVariant now = QSettings().value(QStringLiteral("icon"));
        QCOMPARE(now.isValid(), afterwards.isValid());
        if (afterwards.isValid())
            QCOMPARE(now.toString(), afterwards.toString());
    }

    void pickingAStyleChecksItSavesItAndShowsAtTheNextRefresh()
    {
        start();
        QMenu *styles = iconMenu();
        QVERIFY(styles);
        QCOMPARE(styles->actions().size(), 4);
        const struct
        {
            int tag;
            int mode;
        } picks[] = { { 114, 3 }, { 112, 1 }, { 113, 2 }, { 111, 0 }, { 114, 3 } };
        for (const auto &pick : picks) {
            QAction *item = nullptr;
            for (QAction *a : styles->actions())
                item = a->data().toInt() == pick.tag ? a : item;
            QVERIFY(item);
            item->trigger();
            QCOMPARE(checkedTags(styles), QList<int> { pick.tag });
            QCOMPARE(c()->iconStyle(), pick.mode);
            QSettings settings;
            QCOMPARE(settings.value(QStringLiteral("icon")).toInt(), pick.mode);
        }

        // Now colour. The icon keeps mono until the refresh on the fourth sample.
        setPages(1000, 1000, 1000, 1000);
        c()->setIconMono();
        m_ui->sampler->sampleNow(); // sample 1: refresh, mono
        const QImage mono = c()->statusIcon();
        c()->setIconColor();
        QCOMPARE(c()->statusIcon(), mono);
        m_ui->sampler->sampleNow();
        m_ui->sampler->sampleNow();
        QCOMPARE(c()->statusIcon(), mono);
        m_ui->sampler->sampleNow(); // sample 4: refresh
        const QImage colour = c()->statusIcon().convertToFormat(QImage::Format_ARGB32);
        const qreal dpr = colour.devicePixelRatio();
        // Wired, upper right quarter of the slices' circle about (9.5, 10.5).
        const QColor wired = colour.pixelColor(int(12.3 * dpr), int(7.7 * dpr));
        QCOMPARE(wired, QColor(Qt::red));
    }

    void menuButtonTitlesItemZeroEveryTime()
    {
        start();
        MenuButton *button = w()->menuButton();
        QMenu *menu = c()->statusMenu();
        QCOMPARE(button->popupMenu(), menu);
        QSignalSpy clicked(button, &QPushButton::clicked);

        menu->actions().first()->setText(QStringLiteral("Something else"));
        QTest::mousePress(button, Qt::LeftButton);
        QVERIFY(menu->isVisible());
        QCOMPARE(menu->actions().first()->text(), QStringLiteral("Kalvoren"));
        menu->hide();
        QTest::mouseRelease(button, Qt::LeftButton);
        QCOMPARE(clicked.count(), 0);

        // From the keyboard as well, and when the tray opens it (aboutToShow).
        menu->actions().first()->setText(QStringLiteral("Changed"));
        QTest::keyClick(button, Qt::Key_Space);
        QVERIFY(menu->isVisible());
        QCOMPARE(menu->actions().first()->text(), QStringLiteral("Kalvoren"));
        menu->hide();
        menu->actions().first()->setText(QStringLiteral("Changed"));
        menu->popup(QPoint(0, 0));
        QCOMPARE(menu->actions().first()->text(), QStringLiteral("Kalvoren"));
        menu->hide();

        // A tray host that draws no menu asks for one (ContextMenu): Kalvoren's opens.
        menu->actions().first()->setText(QStringLiteral("Changed"));
        c()->statusMenuRequested();
        QVERIFY(menu->isVisible());
        QCOMPARE(menu->actions().first()->text(), QStringLiteral("Kalvoren"));
        menu->hide();
    }

    void menuOpensTheWindows()
    {
        start();
        QMenu *menu = c()->statusMenu();

        QAction *about = actionTitled(menu, QStringLiteral("About Kalvoren"));
        QVERIFY(about);
        about->trigger();
        QVERIFY(m_ui->aboutBox);
        QVERIFY(m_ui->aboutBox->isVisible());
        auto *version = m_ui->aboutBox->findChild<QLabel *>(QStringLiteral("versionLabel"));
        QVERIFY(version);
        QCOMPARE(version->text(), QStringLiteral("Version 3.5.0"));
        // The program's own icon, from the theme or the SVG compiled into the program.
        auto *icon = m_ui->aboutBox->findChild<QLabel *>(QStringLiteral("iconLabel"));
        QVERIFY(icon);
        const QImage image = icon->pixmap().toImage();
        QVERIFY(!image.isNull());
        QCOMPARE(image.pixelColor(image.width() / 2, image.height() / 2).alpha(), 255);
        m_ui->aboutBox->hide();

        // The other windows belong to other parts of the program; the menu opens whatever
        // the controller was given, and does nothing without a window.
        c()->setWindows(m_ui->aboutBox.get(), nullptr, nullptr, nullptr);
        const QString titles[] = { QStringLiteral("Memory Log…"), QStringLiteral("Benchmark…"),
                                   QStringLiteral("Processes…") };
        for (const QString &title : titles) {
            QAction *action = actionTitled(menu, title);
            QVERIFY2(action, qPrintable(title));
            action->trigger(); // no window: nothing happens
        }
        QWidget log, bench, processes;
        c()->setWindows(m_ui->aboutBox.get(), &log, &bench, &processes);
        QWidget *windows[] = { &log, &bench, &processes };
        for (int i = 0; i < 3; ++i) {
            actionTitled(menu, titles[i])->trigger();
            QVERIFY2(windows[i]->isVisible(), qPrintable(titles[i]));
        }
    }

    void contactLinks_data()
    {
        QTest::addColumn<QString>("homePage");
        QTest::addColumn<QString>("feedbackAddress");
        QTest::addColumn<bool>("documentation"); // the documentation folder exists
        QTest::addColumn<QString>("homeUrl");    // empty: hidden; "docs": that folder
        QTest::addColumn<QString>("mailUrl");    // empty: hidden
        const QString docs = QStringLiteral("docs");

        QTest::newRow("nothing configured or installed")
                << QString() << QString() << false << QString() << QString();
        QTest::newRow("documentation installed")
                << QString() << QString() << true << docs << QString();
        QTest::newRow("configured")
                << QStringLiteral("https://example.net/kalvoren")
                << QStringLiteral("me@example.net") << true
                << QStringLiteral("https://example.net/kalvoren")
                << QStringLiteral("mailto:me@example.net?subject=Kalvoren%20feedback&body=");
        QTest::newRow("not a web page") << QStringLiteral("file:///etc/passwd")
                                        << QStringLiteral("nobody") << false << QString()
                                        << QString();
        QTest::newRow("address adding recipients")
                << QStringLiteral("javascript:alert(1)")
                << QStringLiteral("me@example.net?cc=other@example.net") << true << docs
                << QString();
        QTest::newRow("address with a body of its own")
                << QStringLiteral("http://") << QStringLiteral("me@example.net&body=hi") << false
                << QString() << QString();
    }

    void contactLinks()
    {
        QFETCH(QString, homePage);
        QFETCH(QString, feedbackAddress);
        QFETCH(bool, documentation);
        QFETCH(QString, homeUrl);
        QFETCH(QString, mailUrl);
        {
            QSettings settings;
            if (!homePage.isEmpty())
                settings.setValue(QStringLiteral("homePage"), homePage);
            if (!feedbackAddress.isEmpty())
                settings.setValue(QStringLiteral("feedbackAddress"), feedbackAddress);
        }
        QTemporaryDir docs;
        const QString docsDir = documentation ? docs.path() : docs.path() + QStringLiteral("/no");
        if (homeUrl == QLatin1String("docs"))
            homeUrl = QUrl::fromLocalFile(docs.path()).toString(QUrl::FullyEncoded);
        QCOMPARE(homePageUrl(QSettings(), docsDir).toString(QUrl::FullyEncoded), homeUrl);
        QCOMPARE(feedbackMailUrl(QSettings()).toString(QUrl::FullyEncoded), mailUrl);

        // The menu shows an item only with somewhere to go, and opens that. (Home Page
        // without an address depends on what is installed here: not triggered.)
        UrlCatcher catcher;
        for (const char *scheme : { "http", "https", "mailto", "file", "javascript" })
            QDesktopServices::setUrlHandler(QLatin1String(scheme), &catcher, "open");
        start();
        QMenu *menu = c()->statusMenu();
        emit menu->aboutToShow();
        auto *home = menu->findChild<QAction *>(QStringLiteral("homePageAction"));
        auto *feedback = menu->findChild<QAction *>(QStringLiteral("feedbackAction"));
        QVERIFY(home && feedback);
        QCOMPARE(feedback->isVisible(), !mailUrl.isEmpty());
        QList<QUrl> expected;
        if (homeUrl.startsWith(QLatin1String("http"))) {
            QVERIFY(home->isVisible());
            home->trigger();
            expected.append(QUrl(homeUrl));
        }
        if (feedback->isVisible()) {
            feedback->trigger();
            expected.append(QUrl(mailUrl));
        }
        for (const char *scheme : { "http", "https", "mailto", "file", "javascript" })
            QDesktopServices::unsetUrlHandler(QLatin1String(scheme));
        QCOMPARE(catcher.urls, expected);
    }

    void appIconFollowsThePieWhenAskedAndIsRestored()
    {
        QPixmap plain(32, 32);
        plain.fill(Qt::darkCyan);
        const QIcon original(plain);
        QApplication::setWindowIcon(original);
        start();
        c()->start(); // takes the original icon and the first sample
        m_ui->sampler->stop();
        QVERIFY(!c()->optUpdatesAppIcon());
        QCOMPARE(QApplication::windowIcon().cacheKey(), original.cacheKey());

        QAction *option = c()->statusMenu()->findChild<QAction *>(QStringLiteral("appIconAction"));
        QVERIFY(option);
        QVERIFY(option->isCheckable());
        option->trigger();
        QVERIFY(c()->optUpdatesAppIcon());
        QVERIFY(QSettings().value(QStringLiteral("showMemoryInAppIcon")).toBool());
        // The full pie in colour, whatever the status icon's style.
        const QImage icon = QApplication::windowIcon().pixmap(256, 256).toImage().convertToFormat(
                QImage::Format_ARGB32);
        QVERIFY(!icon.isNull());
        QCOMPARE(icon.pixelColor(128 + 40, 128 - 40), QColor(Qt::red));

        // Off again: the original comes back at once.
        option->trigger();
        QVERIFY(!c()->optUpdatesAppIcon());
        QCOMPARE(QApplication::windowIcon().cacheKey(), original.cacheKey());

        // The choice survives a restart, and quitting restores the original icon.
        option->trigger();
        m_ui.reset();
        QApplication::setWindowIcon(original);
        start();
        QVERIFY(c()->optUpdatesAppIcon());
        QVERIFY(c()->statusMenu()->findChild<QAction *>(QStringLiteral("appIconAction"))->isChecked());
        c()->start();
        m_ui->sampler->stop();
        QVERIFY(QApplication::windowIcon().cacheKey() != original.cacheKey());
        c()->prepareToQuit();
        QCOMPARE(QApplication::windowIcon().cacheKey(), original.cacheKey());
    }
};

QTEST_MAIN(TestStatusItem)
#include "tst_statusitem.moc"
