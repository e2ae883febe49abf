// The tray icon, the drop-down panel it shows and hides, and the icon refresh.
#include "AppController.h"

#include "ApplicationLock.h"
#include "ContactLinks.h"
#include "DesktopNotifier.h"
#include "MainWindow.h"
#include "MenuButton.h"
#include "PanelPlacement.h"
#include "stats/SampleReport.h"
#include "platform/x11/X11WindowState.h"
#include "views/IconRenderer.h"

#include <QApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QEvent>
#include <QKeyEvent>
#include <QPixmap>
#include <QScreen>
#include <QSettings>
#include <QTimer>
#include <QWindow>
#include <QtGui/qguiapplication_platform.h>

#include <chrono>
#include <functional>
#include <optional>

using namespace Kalvoren;

namespace {

constexpr Qt::WindowFlags panelFlags =
        Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint;

// A click on the tray icon takes the focus from the panel first, which hides it; the click
// itself arrives just after. Within this time it belongs to that hide and does not show the
// panel again.
constexpr qint64 clickAfterFocusLossMs = 300;

// Logged as it stands, shown in the window in the user's language.
const char trayHint[] = QT_TRANSLATE_NOOP(
        "AppController",
        "No system tray found, so the window stays open. To get the tray icon, run "
        "a tray host: on GNOME the \"AppIndicator and KStatusNotifierItem Support\" extension, "
        "elsewhere your panel's system tray or notification area.");
const char trayNoteShownKey[] = "trayNoteShown";
const char appIconKey[] = "showMemoryInAppIcon";

qint64 nowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// Watches the panel: it hides when it stops being the active window and on Escape.
class PanelWatcher : public QObject
{
public:
    PanelWatcher(std::function<void()> onFocusLoss, std::function<void()> onEscape)
        : m_onFocusLoss(std::move(onFocusLoss))
        , m_onEscape(std::move(onEscape))
    {
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::WindowDeactivate) {
            m_onFocusLoss();
        } else if (event->type() == QEvent::KeyPress
                   && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
            // Reaches the window when the widget with the focus leaves the key alone.
            m_onEscape();
            return true;
        }
        return false;
    }

private:
    std::function<void()> m_onFocusLoss;
    std::function<void()> m_onEscape;
};

bool onWayland()
{
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

// X11 window managers give a Qt::Tool window a task bar button and a place in the pager
// unless told otherwise; Qt has no flag for that.
void keepOutOfTaskbars(QWidget *window)
{
    using QNativeInterface::QX11Application;
    if (auto *x11 = qGuiApp->nativeInterface<QX11Application>())
        addSkipTaskbarAndPagerStates(x11->connection(), uint32_t(window->winId()));
}

// Runs action once window is on the screen (at once when it already is); gives up after
// about two seconds.
void whenExposed(QWidget *window, std::function<void()> action, int triesLeft = 100)
{
    if (window->windowHandle() && window->windowHandle()->isExposed()) {
        action();
        return;
    }
    if (triesLeft == 0)
        return;
    QTimer::singleShot(20, window, [window, action = std::move(action), triesLeft]() mutable {
        whenExposed(window, std::move(action), triesLeft - 1);
    });
}

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
    m_statusIcon = renderStatusIcon(m_iconView, qApp->devicePixelRatio());
    createTrayIcon();
    if (m_statusItem) {
        if (!m_statusIcon.isNull())
            m_statusItem->setIcon(QIcon(QPixmap::fromImage(m_statusIcon)));
        m_statusItem->setToolTip(m_toolTip);
    }
    emit iconsRefreshed();
}

void AppController::refreshToolTip(const MemorySample &sample, const MemoryFigures &figures)
{
    // Shown with the icon, refreshed with it: what a glance at the tray should tell.
    QString line = tr("Free: %1").arg(megabytesText(figures.Free));
    if (const QString available = availableValue(sample); !available.isEmpty())
        line += QLatin1String(", ") + tr("available: %1").arg(available);
    QString text = tr("Kalvoren") + QLatin1Char('\n') + line;
    if (const QString swap = swapText(sample); !swap.isEmpty())
        text += QLatin1Char('\n') + swap;
    m_toolTip = text;
}

void AppController::updateAppIcon()
{
    QMutexLocker locker(&applicationLock());
    QApplication::setWindowIcon(QIcon(QPixmap::fromImage(renderAppIcon(m_iconView))));
}

void AppController::createTrayIcon()
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
            window->showNote(tr(trayHint));
            settings.setValue(QLatin1String(trayNoteShownKey), true);
        }
        // With nowhere to click, the window is the program: an ordinary one, left open.
        if (mainWindow && !mainWindow->isVisible())
            showMainWindow(std::nullopt);
        return;
    }

    m_statusItem = std::make_unique<QSystemTrayIcon>();
    m_statusItem->setToolTip(m_toolTip.isEmpty() ? QStringLiteral("Kalvoren") : m_toolTip);
    m_statusItem->setContextMenu(m_statusMenu.get());
    if (!m_statusIcon.isNull())
        m_statusItem->setIcon(QIcon(QPixmap::fromImage(m_statusIcon)));
    connect(m_statusItem.get(), &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                // A second click soon after the first arrives as a double click; it is
                // still a click that toggles the panel.
                if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
                    trayIconClicked();
                else if (reason == QSystemTrayIcon::Context)
                    statusMenuRequested();
            });
    m_statusItem->show();
    if (m_notifier)
        m_notifier->setTrayIcon(m_statusItem.get()); // where warnings go without a service
    m_hasInitializedStatusItem = true;
    m_panelMode = true;

    // At start-up the window waits hidden for the first click. One that the user already
    // has open (a tray host that came up late) stays open until the next click hides it.
    if (mainWindow && !mainWindow->isVisible()) {
        mainWindow->setWindowFlags(panelFlags);
        m_mainWindowVisible = false;
    }
}

void AppController::trayIconClicked()
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
    showPanelUnder(trayIconArea());
}

void AppController::bringMainWindowForward()
{
    // A panel comes forward the way a click brings it, with the same state, so that focus
    // loss hides it and the next click shows it again.
    if (mainWindow && (m_panelMode || isPanel(mainWindow)))
        showMainWindow(trayIconArea());
    else
        showMainWindow(std::nullopt);
}

void AppController::showPanelUnder(const QRect &anchor)
{
    showMainWindow(anchor);
}

void AppController::showMainWindow(const std::optional<QRect> &panelAnchor)
{
    if (!mainWindow)
        return;
    QWidget *window = mainWindow;
    if (panelAnchor && !window->isVisible()) {
        if (!isPanel(window))
            window->setWindowFlags(panelFlags);
        if (!m_panelWatcher) {
            m_panelWatcher = std::make_unique<PanelWatcher>([this] { panelLostFocus(); },
                                                            [this] {
                                                                if (isPanel(mainWindow))
                                                                    hideMainWindow();
                                                            });
            window->installEventFilter(m_panelWatcher.get());
        }
        keepOutOfTaskbars(window);
        window->adjustSize(); // the layout fixes the size when it first runs
        // move() places the frame; a frameless panel has none, but the window system
        // decides. On Wayland the compositor places it and this is only Qt's notion.
        window->move(panelTopLeft(*panelAnchor, window->frameGeometry().size(), screenAreas()));
    }
    // A minimised window would stay minimised through show() and raise().
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    m_lastFocusHideMs = -1;
    m_mainWindowVisible = true;
    window->show();
    window->raise();
    window->activateWindow();
}

QRect AppController::trayIconArea() const
{
    // XEmbed trays tell where the icon is; StatusNotifierItem hosts do not (Qt gives an
    // empty rectangle), and the pointer that has just clicked the icon stands in for it.
    const QRect icon = m_statusItem ? m_statusItem->geometry() : QRect();
    return icon.isValid() ? icon : QRect(QCursor::pos(), QSize(1, 1));
}

void AppController::statusMenuRequested()
{
    QMenu *menu = m_statusMenu.get();
    // An XEmbed tray has Qt open the tray's menu before the request arrives.
    if (!menu || menu->isVisible() || !mainWindow)
        return;
    if (!onWayland()) {
        menu->popup(QCursor::pos());
        return;
    }
    // A Wayland menu opens from a window of ours, placed by the compositor relative to it:
    // the panel is that window, and its menu button the place. Qt makes it a grabbing popup
    // once Kalvoren has had input from the seat, and until then a small window that the
    // compositor keeps beside its parent, the panel.
    auto *window = qobject_cast<MainWindow *>(mainWindow.data());
    if (!window)
        return;
    if (!window->isVisible())
        showPanelUnder(trayIconArea());
    whenExposed(window, [window, menu] {
        menu->winId();
        if (menu->windowHandle())
            menu->windowHandle()->setTransientParent(window->windowHandle());
        MenuButton *button = window->menuButton();
        button->popUpMenu(button->mapToGlobal(button->rect().bottomLeft()));
    });
}

void AppController::panelLostFocus()
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
        m_optUpdatesAppIcon = on;
        if (on)
            updateAppIcon();
        else
            QApplication::setWindowIcon(m_originalIcon);
    }
    if (QAction *item = appIconAction())
        item->setChecked(on);
    QSettings settings;
    settings.setValue(QLatin1String(appIconKey), on);
    settings.sync();
}

void AppController::loadAppIconOption()
{
    const bool on = QSettings().value(QLatin1String(appIconKey), false).toBool();
    m_optUpdatesAppIcon = on;
    if (QAction *item = appIconAction())
        item->setChecked(on);
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

QMenu *AppController::iconMenu() const
{
    return m_statusMenu ? m_statusMenu->findChild<QMenu *>(QStringLiteral("iconMenu")) : nullptr;
}

QAction *AppController::appIconAction() const
{
    return m_statusMenu ? m_statusMenu->findChild<QAction *>(QStringLiteral("appIconAction"))
                        : nullptr;
}
