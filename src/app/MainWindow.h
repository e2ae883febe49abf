#pragma once

#include <QWidget>

#include "stats/MemoryFigures.h"

class LoggerView;
class MenuButton;
class QLabel;
class StatsView;
class QProgressBar;
class QPushButton;
class QTimer;

namespace Kalvoren {
class OptimizerController;
}

// The drop-down panel: the pie, the four figures and the total, the optimize button and its
// progress bar.
class MainWindow : public QWidget
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);

    StatsView *statsView() const { return m_statsView; }
    MenuButton *menuButton() const { return m_menuButton; }
    QPushButton *mainButton() const { return m_mainButton; }
    QProgressBar *progress() const { return m_progress; }
    QLabel *freeInfo() const { return m_freeInfo; }
    QLabel *inactiveInfo() const { return m_inactiveInfo; }
    QLabel *wiredInfo() const { return m_wiredInfo; }
    QLabel *activeInfo() const { return m_activeInfo; }
    QLabel *ramView() const { return m_ramView; }
    QLabel *note() const { return m_note; }
    QLabel *availableInfo() const { return m_availableInfo; }
    QLabel *swapInfo() const { return m_swapInfo; }
    QLabel *pressureInfo() const { return m_pressureInfo; }
    // The small history chart under the figures.
    LoggerView *historyChart() const { return m_history; }

    // Shows a one-line notice at the bottom of the window (e.g. how to get a tray icon).
    void showNote(const QString &text);

    // The four "%.2f MB" texts, then (separately, later in a sample) the "%.2f GB" total.
    void showFigureTexts(const Kalvoren::MemoryFigures &figures);
    void showTotal(const Kalvoren::MemoryFigures &figures);
    // Available memory, swap (with the zram ratio) and pressure; "n/a" where the system does
    // not say, so the panel keeps its size.
    void showMoreFigures(const Kalvoren::MemorySample &sample);

    // While a run goes on the button reads "Cancel" and the bar shows how far the run got,
    // read from optimizer about 30 times a second; afterwards "Optimize Memory", no bar.
    void showOptimizationRunning(bool running);
    void setOptimizer(Kalvoren::OptimizerController *optimizer) { m_optimizer = optimizer; }
    // The bar's value: touched of planned bytes on a 0..progressScale range (an int range).
    static constexpr int progressScale = 10000;
    void refreshProgress();

signals:
    // The window's close control was used.
    void closeRequested();
    // The optimize button was pressed.
    void optimizeClicked();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    StatsView *m_statsView;
    MenuButton *m_menuButton;
    QPushButton *m_mainButton;
    QProgressBar *m_progress;
    QLabel *m_freeInfo;
    QLabel *m_inactiveInfo;
    QLabel *m_wiredInfo;
    QLabel *m_activeInfo;
    QLabel *m_ramView;
    QLabel *m_note;
    QLabel *m_availableInfo;
    QLabel *m_swapInfo;
    QLabel *m_pressureInfo;
    LoggerView *m_history;
    QTimer *m_progressTimer;
    Kalvoren::OptimizerController *m_optimizer = nullptr;
};
