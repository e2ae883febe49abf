// The tray icon, the drop-down panel it shows and hides, and the icon refresh.
#include "AppController.h"

#include "ApplicationLock.h"
#include "ContactLinks.h"
#include "MainWindow.h"
#include "PanelPlacement.h"
#include "views/IconRenderer.h"
#include "views/StatsView.h"

#include <QApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QEvent>
#include <QPixmap>
#include <QScreen>
#include <QSettings>

#include <chrono>
#include <functional>

using namespace Kalvoren;

namespace {

constexpr Qt::WindowFlags panelFlags =
        Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint;

// A click on the tray icon takes the focus from the panel first, which hides it; the click
// itself arrives just after. Within this time it belongs to that hide and does not show the
// panel again.
constexpr qint64 clickAfterFocusLossMs = 300;

const char trayHint[] =
        "No system tray found, so the window stays open. To get the tray icon, run "
        "a tray host: on GNOME the \"AppIndicator and KStatusNotifierItem Support\" extension, "
        "elsewhere your panel's system tray or notification area.";
const char trayNoteShownKey[] = "trayNoteShown";
const char appIconKey[] = "showMemoryInAppIcon";

qint64 nowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// Calls back when the watched window stops being the active one.
class FocusLossWatcher : public QObject
{
public:
    explicit FocusLossWatcher(std::function<void()> onLoss)
        : m_onLoss(std::move(onLoss))
    {
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::WindowDeactivate)
            m_onLoss();
        return false;
    }

private:
    std::function<void()> m_onLoss;
};

QList<ScreenArea> screenAreas()
{
    QList<ScreenArea> areas;
    for (const QScreen *screen : QGuiApplication::screens())
        areas.append({ screen->geometry(), screen->availableGeometry() });
    return areas;
}

bool isPanel(const QWidget *window)
{
    return (window->windowFlags() & panelFlags) == panelFlags;
}

} // namespace

void AppController::refreshIcons()
{
    // Runs under the application lock (the sample takes it).
    ++m_iconRefreshCount;
    if (m_optUpdatesAppIcon)
        updateAppIcon();
    if (auto *view = qobject_cast<StatsView *>(statsView.data()))
        m_statusIcon = renderStatusIcon(*view, qApp->devicePixelRatio());
    activateStatusMenu();
    if (m_statusItem && !m_statusIcon.isNull())
        m_statusItem->setIcon(QIcon(QPixmap::fromImage(m_statusIcon)));
}

void AppController::updateAppIcon()
{
    QMutexLocker locker(&applicationLock());
    if (auto *view = qobject_cast<StatsView *>(statsView.data()))
        QApplication::setWindowIcon(QIcon(QPixmap::fromImage(renderAppIcon(*view))));
}

void AppController::activateStatusMenu()
{
    if (m_hasInitializedStatusItem)
        return;
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        if (m_trayHintGiven)
            return; // asked again at every refresh, in case a tray host starts later
        m_trayHintGiven = true;
        qWarning("Kalvoren: %s", trayHint);
        QSettings settings;
        auto *window = qobject_cast<MainWindow *>(mainWindow.data());
        if (window && !settings.value(QLatin1String(trayNoteShownKey)).toBool()) {
            window->showNote(QString::fromUtf8(trayHint));
            settings.setValue(QLatin1String(trayNoteShownKey), true);
        }
        // With nowhere to click, the window is the program: an ordinary one, left open.
        if (mainWindow && !mainWindow->isVisible()) {
            mainWindow->show();
            m_mainWindowVisible = true;
        }
        return;
    }

    m_statusItem = std::make_unique<QSystemTrayIcon>();
    m_statusItem->setToolTip(QStringLiteral("Kalvoren"));
    m_statusItem->setContextMenu(m_statusMenu.get());
    if (!m_statusIcon.isNull())
        m_statusItem->setIcon(QIcon(QPixmap::fromImage(m_statusIcon)));
    connect(m_statusItem.get(), &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                // A second click soon after the first arrives as a double click; it is
                // still a click that toggles the panel.
                if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
                    statusMenuPressed();
            });
    m_statusItem->show();
    m_hasInitializedStatusItem = true;
    m_panelMode = true;

    // At start-up the window waits hidden for the first click. One that the user already
    // has open (a tray host that came up late) stays open until the next click hides it.
    if (mainWindow && !mainWindow->isVisible()) {
        mainWindow->setWindowFlags(panelFlags);
        m_mainWindowVisible = false;
    }
}

void AppController::statusMenuPressed()
{
    if (!mainWindow)
        return;
    // The window's own state decides: something else (a second start asking for the
    // window) may have shown it without a click.
    if (mainWindow->isVisible()) {
        hideMainWindow();
        return;
    }
    if (m_lastFocusHideMs >= 0 && nowMs() - m_lastFocusHideMs < clickAfterFocusLossMs) {
        // This click took the focus away and so already hid the panel: it stays hidden.
        m_lastFocusHideMs = -1;
        return;
    }
    showPanelAt(QCursor::pos());
}

void AppController::showPanelAt(const QPoint &pointer)
{
    if (!mainWindow)
        return;
    QWidget *window = mainWindow;
    if (!isPanel(window)) {
        window->hide();
        window->setWindowFlags(panelFlags);
    }
    if (!m_focusWatcher) {
        m_focusWatcher = std::make_unique<FocusLossWatcher>([this] { windowDidResignKey(); });
        window->installEventFilter(m_focusWatcher.get());
    }
    window->adjustSize();
    // move() places the frame; a frameless panel has none, but the window system decides.
    window->move(panelTopLeft(pointer, window->frameGeometry().size(), screenAreas()));
    m_lastFocusHideMs = -1;
    m_mainWindowVisible = true;
    window->show();
    window->raise();
    window->activateWindow();
}

void AppController::windowDidResignKey()
{
    // Only the panel vanishes on losing focus; an ordinary window (no tray) must stay, or
    // there would be no way back to it.
    // Our own hide() also takes the focus away; that is not the user leaving the panel.
    if (!mainWindow || !m_mainWindowVisible || !mainWindow->isVisible() || !isPanel(mainWindow))
        return;
    hideMainWindow();
    m_lastFocusHideMs = nowMs();
}

void AppController::hideMainWindow()
{
    m_mainWindowVisible = false;
    if (mainWindow)
        mainWindow->hide();
}

void AppController::setShowsMemoryInAppIcon(bool on)
{
    {
        QMutexLocker locker(&applicationLock());
        setOptUpdatesAppIcon(on);
        if (on)
            updateAppIcon();
        else
            QApplication::setWindowIcon(m_originalIcon);
    }
    if (appIconAction)
        appIconAction->setChecked(on);
    QSettings settings;
    settings.setValue(QLatin1String(appIconKey), on);
    settings.sync();
}

void AppController::loadAppIconOption()
{
    const bool on = QSettings().value(QLatin1String(appIconKey), false).toBool();
    setOptUpdatesAppIcon(on);
    if (appIconAction)
        appIconAction->setChecked(on);
}

void AppController::openHomepage()
{
    const QUrl url = homePageUrl(QSettings());
    if (url.isEmpty())
        return; // the item is hidden: nothing configured, no documentation installed
    if (!QDesktopServices::openUrl(url))
        qWarning("Kalvoren: could not open %s", qPrintable(url.toString()));
}

void AppController::sendEmailFeedback()
{
    const QUrl url = feedbackMailUrl(QSettings());
    if (url.isEmpty())
        return; // the item is hidden until an address is configured
    if (!QDesktopServices::openUrl(url))
        qWarning("Kalvoren: could not start a mail program for %s", qPrintable(url.toString()));
}

void AppController::setStatusMenu(std::unique_ptr<QMenu> menu)
{
    m_statusMenu = std::move(menu);
    if (m_statusItem)
        m_statusItem->setContextMenu(m_statusMenu.get());
}

void AppController::setAboutWindow(std::unique_ptr<QWidget> window)
{
    m_aboutWindow = std::move(window);
    aboutBox = m_aboutWindow.get();
}
