#pragma once

#include "optimizer/MemoryChange.h"
#include "optimizer/OptimizerRun.h"
#include "optimizer/OptimizerWorker.h"
#include "stats/MemoryFigures.h"

#include <QCheckBox>
#include <QAction>
#include <QIcon>
#include <QImage>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QLabel>
#include <QObject>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRect>
#include <QString>

#include <atomic>
#include <memory>
#include <optional>

class QTimer;
class QWidget;

namespace Kalvoren {
class Platform;
}

// The central object: owns the memory figures, samples them every two seconds on the main
// thread, holds the tray icon and starts optimizations.
//
// Workers read the figures and flags from other threads, so those are atomics; everything
// else, widgets included, belongs to the main thread.
class AppController : public QObject
{
    Q_OBJECT
    Q_PROPERTY(float Free READ Free WRITE setFree)
    Q_PROPERTY(float Inactive READ Inactive WRITE setInactive)
    Q_PROPERTY(float Active READ Active WRITE setActive)
    Q_PROPERTY(float Wired READ Wired WRITE setWired)
    Q_PROPERTY(bool threadRunning READ threadRunning WRITE setThreadRunning)
    Q_PROPERTY(bool cancelRequest READ cancelRequest WRITE setCancelRequest)

public:
    explicit AppController(std::unique_ptr<Kalvoren::Platform> platform,
                           QObject *parent = nullptr);
    ~AppController() override;

    Kalvoren::Platform &platform() const { return *m_platform; }

    // Start-up, once every outlet below is connected.
    void awakeFromNib();
    // One timer-driven sample.
    void handleTimer();
    // Stops sampling, restores the application icon when it followed the pie; always true
    // (terminate now).
    bool applicationShouldTerminate();
    // One sample: reads the figures, writes the texts, feeds the log, asks the views to redraw
    // and on every third sample refreshes the icons. A sample that fails changes nothing more.
    void updateMemoryStats();

    // Accessors. Safe from any thread.
    float Free() const { return m_free.load(std::memory_order_relaxed); }
    void setFree(float value) { m_free.store(value, std::memory_order_relaxed); }
    float Inactive() const { return m_inactive.load(std::memory_order_relaxed); }
    void setInactive(float value) { m_inactive.store(value, std::memory_order_relaxed); }
    float Active() const { return m_active.load(std::memory_order_relaxed); }
    void setActive(float value) { m_active.store(value, std::memory_order_relaxed); }
    float Wired() const { return m_wired.load(std::memory_order_relaxed); }
    void setWired(float value) { m_wired.store(value, std::memory_order_relaxed); }
    float Ins() const { return m_ins; }
    float Outs() const { return m_outs; }
    qint32 TotalUnused() const { return m_totalUnused; }
    void setTotalUnused(float value) { m_totalUnused = Kalvoren::totalUnusedFrom(value); }
    float totalRam() const { return m_totalRam; }
    bool threadRunning() const { return m_threadRunning.load(); }
    void setThreadRunning(bool value) { m_threadRunning.store(value); }
    bool cancelRequest() const { return m_cancelRequest.load(); }
    void setCancelRequest(bool value) { m_cancelRequest.store(value); }
    QString verStr() const { return m_verStr; }
    void setVerStr(const QString &value) { m_verStr = value; }
    QString verStrShort() const { return m_verStrShort; }
    void setVerStrShort(const QString &value) { m_verStrShort = value; }
    QProgressBar *progress() const { return m_progress; }
    void setProgress(QProgressBar *value) { m_progress = value; }

    bool mainWindowVisible() const { return m_mainWindowVisible; }
    bool optUpdatesAppIcon() const { return m_optUpdatesAppIcon; }
    void setOptUpdatesAppIcon(bool value) { m_optUpdatesAppIcon = value; }
    int iconCounter() const { return m_iconCounter; }
    bool timerProcActive() const { return m_timerProcActive; }
    QTimer *timer() const { return m_timer; }
    // How many icon refreshes have run; lets tests follow the cadence.
    int iconRefreshCount() const { return m_iconRefreshCount; }

    // -- optimizer (optimizer/AppControllerOptimizer.cpp) ---------------------------------
    // The optimize button's action; also the scripting command's, with the application as
    // sender. Starts a run (or shows the notice first), or asks a running one to stop.
    void goButton(QObject *sender = nullptr);
    // Starts a run without any check.
    void deferredGo();
    // The body of one run, on its worker thread: purge, plan, blocks, free, then the end of
    // the run is handed to the main thread.
    static void doThread(AppController *controller);
    // The end of a run, on the main thread: the button reads "Optimize Memory" again, the
    // cancel request is cleared and showHelper2 is sent.
    void threadFinished();
    // One block of a run, counted into touchedBytes (see Kalvoren::doFree).
    static void *doFree(quint64 size, std::atomic<quint64> &touchedBytes);
    // Adds one 4096-byte page to the progress that indicator shows. Any thread.
    void pgiInc(QProgressBar *indicator);
    // Writes size bytes to path, counting them into progressBytes (see Kalvoren::doInactive).
    static bool doInactive(quint32 size, const QString &path,
                           std::atomic<quint64> &progressBytes);
    // The progress bar's value and maximum in bytes; the bar itself shows them on a fixed
    // 0..progressScale range because its range is an int.
    double progressValueBytes() const;
    double progressMaximumBytes() const { return m_progressMaximumBytes.load(); }
    static constexpr int progressScale = 10000;
    // Where a run's blocks come from; tests put in one that fails or waits.
    void setBlockAllocator(const Kalvoren::BlockAllocator &allocator) { m_allocator = allocator; }
    // What the last finished run did.
    Kalvoren::OptimizerResult lastOptimizerResult() const { return m_lastOptimizerResult; }

    // -- optimization notices (optimizer/OptimizationNotices.cpp) -------------------------
    // Shows the notice before a run unless the user hid it; true when it did.
    bool showHelper1();
    // Sent at the end of every run, from the worker: posts to the main thread, which shows
    // the notice with the memory gained unless the user hid it.
    void showHelper2();

    // -- notices --------------------------------------------------------------------------
    // OK of the notice before a run: keeps the check box's choice, closes the notice, starts
    // the run and brings the main window forward.
    void optiInfoOkBtn1(QObject *sender = nullptr);
    // OK of the notice after a run: keeps the check box's choice and closes the notice.
    void optiInfoOkBtn2(QObject *sender = nullptr);
    // Shows the main window in front, as a click on the tray icon does (app/
    // AppControllerStatusItem.cpp): the bus's showWindow, a second start, OK on a notice.
    void bringMainWindowForward();
    QPointer<QWidget> OptiInfo1;
    QPointer<QCheckBox> OptiInfo1ChkBox;
    QPointer<QWidget> OptiInfo2;
    QPointer<QCheckBox> OptiInfo2ChkBox;
    QPointer<QLabel> OptiInfo2Text; // the memory gained goes here

    // -- windows opened from the menu (app/AppControllerWindows.cpp) ----------------------
    void showAbout();
    void showLoggerWindow();
    void showBenchmarkWindow();
    void showProcessWindow();

    // -- tray and menus -------------------------------------------------------------------
    // (app/AppControllerStatusItem.cpp, app/AppControllerIconStyle.cpp, app/StatusMenu.cpp)

    // Creates the tray icon the first time a tray host is there; later calls do nothing.
    // Without a tray host the main window stays an ordinary window, and the user is told
    // once how to get a tray.
    void activateStatusMenu();
    // A click on the tray icon: shows the main window as a panel under the pointer, or
    // hides it when it is shown.
    void statusMenuPressed();
    // The panel lost focus: it hides (only while it is a panel).
    void windowDidResignKey();
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

    // Icon styles: each sets the style on the pie, checks its item (111 to 114) in
    // iconMenu and unchecks the others, and saves it under "icon". Shown at the next refresh.
    void setIconMono();
    void setIconMonoInverted();
    void setIconGrayscale();
    void setIconColor();
    // Restores the saved style; an absent or unknown value changes nothing.
    void loadIconMode();
    void saveIconMode(int mode);
    // Turns the application icon's pie on or off (optUpdatesAppIcon), at once, and keeps
    // the choice for the next start.
    void setShowsMemoryInAppIcon(bool on);
    // Restores the saved application-icon choice.
    void loadAppIconOption();

    // The home page and a feedback mail, in the user's browser and mail program.
    void openHomepage();
    void sendEmailFeedback();

    // The menu of the menu button and the tray icon; the controller keeps it.
    void setStatusMenu(std::unique_ptr<QMenu> menu);
    QMenu *statusMenu() const { return m_statusMenu.get(); }
    // The About window; the controller keeps it and points aboutBox at it.
    void setAboutWindow(std::unique_ptr<QWidget> window);

    QPointer<QMenu> iconMenu;
    QPointer<QAction> appIconAction;

    // -- memory log -----------------------------------------------------------------------
    // The log and its chart view; every sample is handed to the log.
    QPointer<class Logger> logger;
    QPointer<class LoggerView> loggerView;

    // -- benchmark ------------------------------------------------------------------------
    // The benchmark's controller; sent suggest each time its window opens.
    QPointer<class Benchmark> benchmarkObject;

    // Outlets, connected by the interface (Interface.cpp). Not owned.
    QPointer<QWidget> mainWindow;
    QPointer<QWidget> statsView;
    QPointer<QPushButton> theMainButton;
    QPointer<QLabel> freeInfo;
    QPointer<QLabel> inactiveInfo;
    QPointer<QLabel> wiredInfo;
    QPointer<QLabel> activeInfo;
    QPointer<QLabel> ramView;
    QPointer<QWidget> aboutBox;
    QPointer<QWidget> loggerWindow;
    QPointer<QWidget> benchmarkWindow;
    QPointer<QWidget> processWindow;

signals:
    // After every sample that produced figures.
    void sampled();

private:
    // Redraws the tray and application icons; runs under the application lock on samples
    // 1, 4, 7 ...
    void refreshIcons();

    // -- optimizer state ------------------------------------------------------------------
    // Shows the run's progress on the bar; a timer calls it about 30 times a second.
    void refreshProgress();
    // On the main thread once the worker is done.
    void finishRun(const Kalvoren::OptimizerResult &result);
    std::atomic<quint64> m_touchedBytes { 0 };
    std::atomic<double> m_progressMaximumBytes { 0 };
    double m_progressStartBytes = 0;
    bool m_progressMaximumKnown = false;
    QTimer *m_progressTimer = nullptr;
    Kalvoren::BlockAllocator m_allocator = Kalvoren::BlockAllocator::system();
    Kalvoren::OptimizerResult m_lastOptimizerResult;

    // -- notices state --------------------------------------------------------------------
    // Fresh figures from the platform (the controller's own when the read fails).
    Kalvoren::MemorySnapshot takeMemorySnapshot();
    // The main-thread half of showHelper2.
    void showRunSummary();
    std::optional<Kalvoren::MemorySnapshot> m_memoryBeforeRun;

    // -- tray state -----------------------------------------------------------------------
    void setIconStyle(int mode);
    void updateAppIcon();
    void hideMainWindow();
    // Every way of showing the main window ends here: as the panel dropped down from
    // panelAnchor, or, without one, as the window it already is (an ordinary window when
    // there is no tray).
    void showMainWindow(const std::optional<QRect> &panelAnchor);
    // The tray icon's place on the screen where the tray tells it, else 1 x 1 at the pointer.
    QRect trayIconArea() const;

    std::unique_ptr<QMenu> m_statusMenu;
    std::unique_ptr<QWidget> m_aboutWindow;
    std::unique_ptr<QSystemTrayIcon> m_statusItem;
    std::unique_ptr<QObject> m_panelWatcher;
    QImage m_statusIcon;
    bool m_panelMode = false;
    bool m_trayHintGiven = false;
    qint64 m_lastFocusHideMs = -1;

    std::unique_ptr<Kalvoren::Platform> m_platform;
    Kalvoren::VmStatPattern m_pattern;

    std::atomic<bool> m_threadRunning { false };
    std::atomic<bool> m_cancelRequest { false };
    bool m_mainWindowVisible = false;
    bool m_optUpdatesAppIcon = false;
    bool m_hasInitializedStatusItem = false;
    int m_iconCounter = 0;
    int m_iconRefreshCount = 0;
    bool m_timerProcActive = false;
    QTimer *m_timer = nullptr;
    QIcon m_originalIcon;
    QString m_verStr;
    QString m_verStrShort;
    QPointer<QProgressBar> m_progress;

    std::atomic<float> m_free { 0 };
    std::atomic<float> m_inactive { 0 };
    std::atomic<float> m_active { 0 };
    std::atomic<float> m_wired { 0 };
    float m_ins = 0;
    float m_outs = 0;
    qint32 m_totalUnused = 0;
    float m_totalRam = 0;

    // -- optimizer worker: kept last, so it is joined before the members it reads go --
    Kalvoren::OptimizerWorker m_optimizerWorker { &m_cancelRequest };
};
