#pragma once

#include "platform/ProcessAction.h"
#include "platform/ProcessRow.h"

#include <QAbstractTableModel>
#include <QItemSelectionModel>
#include <QList>
#include <QMutex>
#include <QPointer>
#include <QThread>
#include <QWaitCondition>

#include <atomic>
#include <memory>
#include <vector>

class QTimer;
class TopObject;

namespace Kalvoren {
class Platform;
}

// The process table's data source and its worker.
//
// The worker reads the processes from the platform every two seconds and leaves the rows in a
// snapshot under a mutex; the main thread's poll takes the snapshot at most once per
// tick and brings the rows up to date, reusing row objects by position. Only the main thread
// touches the rows, so the table can read them at any redraw.
//
// The selection follows the selected process by pid across refreshes, so a quit always lands on
// the process the user picked; when that process has gone, the selection clears and the
// actions say so.
class TopMonitor : public QAbstractTableModel
{
    Q_OBJECT

public:
    // platform must outlive the monitor. Nothing runs until start().
    explicit TopMonitor(Kalvoren::Platform *platform, QObject *parent = nullptr);
    ~TopMonitor() override;

    // Starts the worker and the poll timer; calls while it runs do nothing.
    void start();
    // Stops the worker and waits for it; safe to call more than once, and called at quit.
    // start() runs it again.
    void stop();
    bool isRunning() const;

    // One refresh on the calling thread: what the worker does every 2.0 s.
    void updateTop();
    // Main thread: takes a finished refresh into the rows; true when it did.
    bool poll();
    bool updateReady() const { return m_updateReady.load(); }

    // Brings the rows up to date with lines (the main thread's part of a refresh). No lines
    // keeps the rows as they are.
    void applyLines(const QList<Kalvoren::ProcessRow> &lines);

    const std::vector<std::unique_ptr<TopObject>> &topItems() const { return m_topItems; }
    QItemSelectionModel *selectionModel() const { return m_selection; }

    // The value of one cell: column identifier "0" (or anything not a number) gives the
    // resident size, "1" the command; other numbers show nothing.
    QVariant cellValue(const QString &identifier, int row) const;

    // The process that the actions act on: the selected row's pid, empty without one.
    QString selectedPid() const { return m_selectedPid; }
    // Selects a row (what a click does); -1 clears.
    void selectRow(int row);

    Kalvoren::ProcessActionResult onQuitProcess();
    Kalvoren::ProcessActionResult onForceQuitProcess();

    // The poll interval; the worker refreshes every refreshInterval.
    static constexpr int pollIntervalMs = 250;
    static constexpr int refreshIntervalMs = 2000;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

signals:
    // A line for the window's status line: action results, a vanished selection, a failed
    // refresh.
    void statusMessage(const QString &message);
    // After a poll took a refresh into the rows.
    void refreshed();

private:
    void threadRun();
    void followSelection();
    void rememberSelection();
    Kalvoren::ProcessActionResult act(bool force);

    Kalvoren::Platform *m_platform;
    std::unique_ptr<QThread> m_worker;
    QTimer *m_tickTimer = nullptr;
    QItemSelectionModel *m_selection = nullptr;
    std::vector<std::unique_ptr<TopObject>> m_topItems;

    // The hand-off: the worker's newest lines, guarded by m_mutex.
    QMutex m_mutex;
    QWaitCondition m_wake;
    QList<Kalvoren::ProcessRow> m_snapshot;
    QString m_refreshError;
    std::atomic<bool> m_updateReady { false };
    std::atomic<bool> m_stopping { false };

    QString m_selectedPid;
    QString m_selectedCommand;
    QString m_vanished; // "name (pid N)" of a selected process that has ended
    bool m_movingSelection = false;
};
