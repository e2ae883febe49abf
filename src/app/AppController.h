#pragma once

#include "app/OptimizationNotice.h"
#include "optimizer/MemoryChange.h"
#include "optimizer/OptimizerRun.h"
#include "stats/LowMemoryWatch.h"
#include "stats/MemoryFigures.h"
#include "views/StatsView.h"

#include <QAction>
#include <QIcon>
#include <QImage>
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QVariantMap>
#include <QSystemTrayIcon>

#include <memory>
#include <optional>

class MainWindow;
class QWidget;

namespace Kalvoren {
class DesktopNotifier;
class MemorySampler;
class OptimizerController;
class Platform;
} // namespace Kalvoren

// The desktop program's glue: the tray icon and the drop-down panel it shows, the icons drawn
// from the latest figures, the optimize button's flow with its two notices, and the windows the
// menu opens. The figures come from the MemorySampler; the runs from the OptimizerController.
// Everything here runs on the main thread.
class AppController : public QObject
{
    Q_OBJECT

public:
    // The parts of the program the controller works with; none is owned. The interface
    // (Interface.cpp) makes them and calls the setters below before start().
    struct Parts
    {
        Kalvoren::Platform *platform = nullptr;
        Kalvoren::MemorySampler *sampler = nullptr;
        Kalvoren::OptimizerController *optimizer = nullptr;
        MainWindow *mainWindow = nullptr;
    };

    explicit AppController(const Parts &parts, QObject *parent = nullptr);
    ~AppController() override;

    // Start-up: the first sample at once (which draws the icons and so creates the tray
    // icon), then one every two seconds.
    void start();
    // Before the program quits: stops sampling and restores the application icon when it
    // followed the pie.
    void prepareToQuit();
    // After every sample, in the sample's order of effects: the icons on samples 1, 4, 7 ...
    void sampleTaken(const Kalvoren::MemorySample &sample, const Kalvoren::MemoryFigures &figures);

    // The latest sample as `kalvoren stats --json` gives it; empty before the first sample.
    QVariantMap latestFields() const;

    QString verStr() const { return m_verStr; }
    QString verStrShort() const { return m_verStrShort; }
    bool mainWindowVisible() const { return m_mainWindowVisible; }
    bool optUpdatesAppIcon() const { return m_optUpdatesAppIcon; }
    int iconCounter() const { return m_iconCounter; }
    // How many icon refreshes have run; lets tests follow the cadence.
    int iconRefreshCount() const { return m_iconRefreshCount; }

    // -- optimizer (AppControllerOptimizer.cpp) -------------------------------------------
    // The optimize button's action; also the scripting command's. Starts a run (or shows the
    // notice first), or asks a running one to stop.
    void optimizePressed();
    // Starts a run without any check: a fresh sample first, then the worker.
    void startOptimization();
    // Where a run's blocks come from; tests put in one that fails or waits.
    void setBlockAllocator(const Kalvoren::BlockAllocator &allocator);
    // What the last finished run did.
    Kalvoren::OptimizerResult lastOptimizerResult() const { return m_lastOptimizerResult; }
    bool optimizationRunning() const;

    // -- optimization notices (AppControllerNotices.cpp) ----------------------------------
    // Shows the notice before a run unless the user hid it; true when it did.
    bool showNoticeBeforeRun();
    // OK of the notice before a run: keeps the check box's choice, closes the notice, starts
    // the run and brings the main window forward.
    void confirmNoticeBeforeRun();
    // At the end of every run: shows the notice with the memory gained unless the user hid it.
    void showNoticeAfterRun();
    // OK of the notice after a run: keeps the check box's choice and closes the notice.
    void closeNoticeAfterRun();
    Kalvoren::OptimizationNotice *noticeBeforeRun() const { return m_noticeBeforeRun; }
    Kalvoren::OptimizationNotice *noticeAfterRun() const { return m_noticeAfterRun; }
    // Shows the main window in front, as a click on the tray icon does (app/
    // AppControllerStatusItem.cpp): the bus's showWindow, a second start, OK on a notice.
    void bringMainWindowForward();

    // -- windows opened from the menu (AppControllerWindows.cpp) --------------------------
    void setWindows(QWidget *about, QWidget *logger, QWidget *benchmark, QWidget *processes);
    // Sent suggest each time the benchmark window opens.
    void setBenchmark(class Benchmark *benchmark);
    void showAbout();
    void showLoggerWindow();
    void showBenchmarkWindow();
    void showProcessWindow();

    // -- tray and menus (AppControllerStatusItem.cpp, AppControllerIconStyle.cpp) ---------

    // Creates the tray icon the first time a tray host is there; later calls do nothing.
    // Without a tray host the main window stays an ordinary window, and the user is told
    // once how to get a tray.
    void createTrayIcon();
    // A click on the tray icon: shows the main window as a panel under the pointer, or
    // hides it when it is shown.
    void trayIconClicked();
    // The panel lost focus: it hides (only while it is a panel).
    void panelLostFocus();
    // Shows the panel dropped down from anchor (the tray icon, or 1 x 1 at the pointer) and
    // gives it focus.
    void showPanelUnder(const QRect &anchor);
    // The tray host asks for the menu (a right click). Hosts that draw no menu of their own
    // (swaybar) and XEmbed trays get Kalvoren's menu at the pointer; on Wayland, where only
    // a window of ours can hold a menu, it opens from the panel's menu button.
    void statusMenuRequested();
    // The status icon as last drawn (20 x 20 logical); null before the first refresh.
    QImage statusIcon() const { return m_statusIcon; }
    QSystemTrayIcon *statusItem() const { return m_statusItem.get(); }
    // True while the main window is a drop-down panel of the tray icon.
    bool panelMode() const { return m_panelMode; }

    // Icon styles: each sets the style of the icon, checks its item (111 to 114) in the style
    // menu and unchecks the others, and saves it under "icon". Shown at the next refresh.
    void setIconMono();
    void setIconMonoInverted();
    void setIconGrayscale();
    void setIconColor();
    int iconStyle() const { return m_iconView.mode(); }
    // Restores the saved style; an absent or unknown value changes nothing.
    void loadIconMode();
    void saveIconMode(int mode);
    // Turns the application icon's pie on or off (optUpdatesAppIcon), at once, and keeps
    // the choice for the next start.
    void setShowsMemoryInAppIcon(bool on);
    // Restores the saved application-icon choice.
    void loadAppIconOption();

    // "Warn When Memory Runs Low": a desktop notification, with an action that starts an
    // optimization, when available memory or pressure stays bad (see LowMemoryWatch). Off
    // until chosen; the choice is kept ("warnWhenMemoryLow").
    void setWarnsWhenMemoryLow(bool on);
    bool warnsWhenMemoryLow() const { return m_warnWhenLow; }
    void loadLowMemoryOption();
    // Where the warnings go; the controller keeps it.
    void setNotifier(std::unique_ptr<Kalvoren::DesktopNotifier> notifier);
    Kalvoren::DesktopNotifier *notifier() const { return m_notifier.get(); }

    // The home page and a feedback mail, in the user's browser and mail program.
    void openHomepage();
    void sendEmailFeedback();

    // The menu of the menu button and the tray icon; the controller keeps it. Its style
    // submenu and application-icon item are looked up by object name.
    void setStatusMenu(std::unique_ptr<QMenu> menu);
    QMenu *statusMenu() const { return m_statusMenu.get(); }

signals:
    // A run started or ended: the window shows "Cancel" and the progress, or takes them away.
    void optimizationRunningChanged(bool running);
    // After the icons were drawn anew.
    void iconsRefreshed();

private:
    // Redraws the tray and application icons; runs under the application lock on samples
    // 1, 4, 7 ...
    void refreshIcons();
    void refreshToolTip(const Kalvoren::MemorySample &sample,
                        const Kalvoren::MemoryFigures &figures);
    void warnMemoryLow(const Kalvoren::MemorySample &sample);

    // -- optimizer state ------------------------------------------------------------------
    void optimizationFinished(const Kalvoren::OptimizerResult &result);
    Kalvoren::OptimizerResult m_lastOptimizerResult;

    // -- notices state --------------------------------------------------------------------
    void createNotices();
    // Fresh figures from the platform (the latest sample's when the read fails).
    Kalvoren::MemorySnapshot takeMemorySnapshot();
    std::optional<Kalvoren::MemorySnapshot> m_memoryBeforeRun;
    QPointer<Kalvoren::OptimizationNotice> m_noticeBeforeRun;
    QPointer<Kalvoren::OptimizationNotice> m_noticeAfterRun;

    // -- tray state -----------------------------------------------------------------------
    void setIconStyle(int mode);
    void updateAppIcon();
    void hideMainWindow();
    QMenu *iconMenu() const;
    QAction *appIconAction() const;
    // Every way of showing the main window ends here: as the panel dropped down from
    // panelAnchor, or, without one, as the window it already is (an ordinary window when
    // there is no tray).
    void showMainWindow(const std::optional<QRect> &panelAnchor);
    // The tray icon's place on the screen where the tray tells it, else 1 x 1 at the pointer.
    QRect trayIconArea() const;

    std::unique_ptr<QMenu> m_statusMenu;
    std::unique_ptr<QSystemTrayIcon> m_statusItem;
    std::unique_ptr<QObject> m_panelWatcher;
    QImage m_statusIcon;
    QString m_toolTip;
    Kalvoren::LowMemoryWatch m_lowMemoryWatch;
    std::unique_ptr<Kalvoren::DesktopNotifier> m_notifier;
    bool m_warnWhenLow = false;
    bool m_panelMode = false;
    bool m_trayHintGiven = false;
    qint64 m_lastFocusHideMs = -1;

    Kalvoren::Platform *m_platform;
    Kalvoren::MemorySampler *m_sampler;
    Kalvoren::OptimizerController *m_optimizer;
    QPointer<QWidget> mainWindow;
    // Draws the icons; never shown. The window's own pie shows the same figures.
    StatsView m_iconView;

    QPointer<QWidget> aboutBox;
    QPointer<QWidget> loggerWindow;
    QPointer<QWidget> benchmarkWindow;
    QPointer<QWidget> processWindow;
    QPointer<class Benchmark> benchmarkObject;

    bool m_mainWindowVisible = false;
    bool m_optUpdatesAppIcon = false;
    bool m_hasInitializedStatusItem = false;
    int m_iconCounter = 0;
    int m_iconRefreshCount = 0;
    QIcon m_originalIcon;
    QString m_verStr;
    QString m_verStrShort;
};
