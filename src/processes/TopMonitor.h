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
// The monitor sorts and filters the rows itself: one pass over the snapshot per refresh, with
// no proxy model re-sorting behind it. While the order is frozen (the pointer is over the
// table) a refresh only updates the rows where they are: processes that started go to the
// end, processes that ended stay, marked, until the next sort.
//
// The selection follows the selected process by pid across refreshes, so a quit always lands on
// the process the user picked; when that process has gone, the selection clears and the
// actions say so.
class TopMonitor : public QAbstractTableModel
{
    Q_OBJECT

public:
    // The columns, left to right. Each has an identifier (ColumnIdentifierRole of the
    // horizontal header) that cellValue() takes: "0" resident size and "1" command, wherever
    // those columns stand, then "2" pid, "3" user and "4" CPU %.
    enum Column { PidColumn, UserColumn, CpuColumn, ResidentSizeColumn, CommandColumn };
    static constexpr int columnTotal = 5;
    static constexpr int ColumnIdentifierRole = Qt::UserRole;

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

    // Brings the rows up to date with lines (the main thread's part of a refresh): filtered
    // and sorted, or, while the order is frozen, updated in place. No lines keeps the rows as
    // they are.
    void applyLines(const QList<Kalvoren::ProcessRow> &lines);

    // What the user asks for; each shows the last refresh again at once, sorted.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    int sortColumn() const { return m_sortColumn; }
    Qt::SortOrder sortOrder() const { return m_sortOrder; }
    void setFilterText(const QString &text);
    QString filterText() const { return m_filterText; }
    // Kernel threads are hidden unless asked for.
    void setShowKernelThreads(bool show);
    bool showKernelThreads() const { return m_showKernelThreads; }

    // While frozen, refreshes keep every row where it is (see above).
    void setOrderFrozen(bool frozen) { m_orderFrozen = frozen; }
    bool orderFrozen() const { return m_orderFrozen; }

    const std::vector<std::unique_ptr<TopObject>> &topItems() const { return m_topItems; }
    QItemSelectionModel *selectionModel() const { return m_selection; }

    // The value of one cell by column identifier: "0" (or anything not a number) gives the
    // resident size, "1" the command, "2" the pid, "3" the user, "4" the CPU %; other numbers
    // show nothing.
    QVariant cellValue(const QString &identifier, int row) const;

    // The process that the actions act on: the selected row's pid, empty without one.
    QString selectedPid() const { return m_selectedPid; }
    QString selectedCommand() const { return m_selectedCommand; }
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
    // A re-sort moved the selected process from row `from` to row `to`; the selection
    // follows it right after this signal.
    void selectedRowMoved(int from, int to);

private:
    void threadRun();
    QVariant cellValue(int identifier, int row) const;
    void arrange();
    void updateInPlace();
    void showRows(const std::vector<const Kalvoren::ProcessRow *> &rows);
    bool shown(const Kalvoren::ProcessRow &row) const;
    void followSelection();
    void rememberSelection();
    Kalvoren::ProcessActionResult act(bool force);

    Kalvoren::Platform *m_platform;
    std::unique_ptr<QThread> m_worker;
    QTimer *m_tickTimer = nullptr;
    QItemSelectionModel *m_selection = nullptr;
    std::vector<std::unique_ptr<TopObject>> m_topItems;
    QList<Kalvoren::ProcessRow> m_lines; // the last refresh, unfiltered
    int m_sortColumn = ResidentSizeColumn;
    Qt::SortOrder m_sortOrder = Qt::DescendingOrder;
    QString m_filterText;
    bool m_showKernelThreads = false;
    bool m_orderFrozen = false;

    // The hand-off: the worker's newest lines, guarded by m_mutex.
    QMutex m_mutex;
    QWaitCondition m_wake;
    QList<Kalvoren::ProcessRow> m_snapshot;
    QString m_refreshError;
    std::atomic<bool> m_updateReady { false };
    std::atomic<bool> m_stopping { false };

    QString m_selectedPid;
    quint64 m_selectedStartTime = 0; // tells the selected process from a later one of its pid
    QString m_selectedCommand;
    QString m_vanished; // "name (pid N)" of a selected process that has ended
    bool m_movingSelection = false;
};
