#include "TopMonitor.h"

#include "ProcessLabels.h"
#include "TopObject.h"
#include "platform/Platform.h"
#include "platform/ProcessOrder.h"

#include <QCoreApplication>
#include <QMultiHash>
#include <QTimer>

#include <algorithm>

using namespace Kalvoren;

TopMonitor::TopMonitor(Platform *platform, QObject *parent)
    : QAbstractTableModel(parent)
    , m_platform(platform)
    , m_selection(new QItemSelectionModel(this, this))
{
    connect(m_selection, &QItemSelectionModel::selectionChanged, this,
            [this] { rememberSelection(); });
}

TopMonitor::~TopMonitor()
{
    stop();
}

void TopMonitor::start()
{
    if (m_worker)
        return;
    m_stopping = false;
    m_worker.reset(QThread::create([this] { threadRun(); }));
    m_worker->setObjectName(QStringLiteral("TopMonitor"));
    if (QCoreApplication::instance())
        connect(qApp, &QCoreApplication::aboutToQuit, this, &TopMonitor::stop,
                Qt::UniqueConnection);
    m_worker->start(QThread::LowPriority);

    if (!m_tickTimer) {
        m_tickTimer = new QTimer(this);
        m_tickTimer->setInterval(pollIntervalMs);
        connect(m_tickTimer, &QTimer::timeout, this, [this] { poll(); });
    }
    m_tickTimer->start();
}

void TopMonitor::stop()
{
    if (m_tickTimer && QThread::currentThread() == thread())
        m_tickTimer->stop();
    if (!m_worker)
        return;
    m_worker->requestInterruption();
    {
        QMutexLocker locker(&m_mutex);
        m_stopping = true;
        m_wake.wakeAll();
    }
    m_worker->quit();
    m_worker->wait();
    // A later start() begins again with a new worker.
    m_worker.reset();
}

bool TopMonitor::isRunning() const
{
    return m_worker && m_worker->isRunning();
}

void TopMonitor::threadRun()
{
    QThread *self = QThread::currentThread();
    while (!self->isInterruptionRequested()) {
        updateTop();
        m_updateReady = true;
        QMutexLocker locker(&m_mutex);
        if (!m_stopping)
            m_wake.wait(&m_mutex, refreshIntervalMs);
    }
}

void TopMonitor::updateTop()
{
    PlatformError error;
    std::optional<QList<ProcessRow>> rows = m_platform->readProcesses(&error);
    QMutexLocker locker(&m_mutex);
    // A refresh that brought nothing leaves the last good rows for the next poll.
    if (rows && !rows->isEmpty())
        m_snapshot = std::move(*rows);
    m_refreshError = rows ? QString() : error.message;
}

bool TopMonitor::poll()
{
    if (!m_updateReady.exchange(false))
        return false;
    QList<ProcessRow> lines;
    QString error;
    {
        QMutexLocker locker(&m_mutex);
        lines.swap(m_snapshot);
        error = m_refreshError;
    }
    applyLines(lines);
    emit refreshed();
    if (!error.isEmpty())
        emit statusMessage(tr("Cannot read the process list: %1").arg(error));
    return true;
}

void TopMonitor::applyLines(const QList<ProcessRow> &lines)
{
    if (lines.isEmpty())
        return;
    m_lines = lines;
    if (m_orderFrozen && !m_topItems.empty())
        updateInPlace();
    else
        arrange();
}

bool TopMonitor::shown(const ProcessRow &row) const
{
    return (m_showKernelThreads || !row.kernelThread) && processMatchesFilter(row, m_filterText);
}

namespace {

ProcessSortKey sortKeyOf(int column)
{
    switch (column) {
    case TopMonitor::PidColumn:
        return ProcessSortKey::Pid;
    case TopMonitor::UserColumn:
        return ProcessSortKey::User;
    case TopMonitor::CpuColumn:
        return ProcessSortKey::Cpu;
    case TopMonitor::CommandColumn:
        return ProcessSortKey::Command;
    default:
        return ProcessSortKey::ResidentSize;
    }
}

void sortRows(std::vector<const ProcessRow *> *rows, int column, Qt::SortOrder order)
{
    const ProcessSortKey key = sortKeyOf(column);
    std::sort(rows->begin(), rows->end(), [key, order](const ProcessRow *a, const ProcessRow *b) {
        return processBefore(*a, *b, key, order);
    });
}

} // namespace

void TopMonitor::arrange()
{
    std::vector<const ProcessRow *> rows;
    rows.reserve(size_t(m_lines.size()));
    for (const ProcessRow &line : std::as_const(m_lines)) {
        if (shown(line))
            rows.push_back(&line);
    }
    sortRows(&rows, m_sortColumn, m_sortOrder);
    showRows(rows);
}

void TopMonitor::showRows(const std::vector<const ProcessRow *> &rows)
{
    const int count = int(rows.size());
    const int old = int(m_topItems.size());
    if (count < old) {
        beginRemoveRows(QModelIndex(), count, old - 1);
        m_topItems.resize(size_t(count));
        endRemoveRows();
    }
    const int kept = std::min(count, old);
    for (int i = 0; i < kept; ++i)
        m_topItems[size_t(i)]->setRow(*rows[size_t(i)]);
    if (count > old) {
        beginInsertRows(QModelIndex(), old, count - 1);
        m_topItems.reserve(size_t(count));
        for (int i = old; i < count; ++i) {
            auto row = std::make_unique<TopObject>();
            row->setRow(*rows[size_t(i)]);
            m_topItems.push_back(std::move(row));
        }
        endInsertRows();
    }
    if (kept > 0)
        emit dataChanged(index(0, 0), index(kept - 1, columnTotal - 1), { Qt::DisplayRole });
    followSelection();
}

void TopMonitor::updateInPlace()
{
    // Each process of the refresh by pid; a pid can repeat in a saved text.
    QMultiHash<qint64, qsizetype> byPid;
    byPid.reserve(m_lines.size());
    for (qsizetype i = 0; i < m_lines.size(); ++i)
        byPid.insert(m_lines.at(i).pid, i);
    std::vector<bool> taken(size_t(m_lines.size()), false);
    for (const std::unique_ptr<TopObject> &item : m_topItems) {
        if (item->ended())
            continue;
        bool found = false;
        for (auto it = byPid.constFind(item->row().pid);
             it != byPid.constEnd() && it.key() == item->row().pid; ++it) {
            const ProcessRow &line = m_lines.at(*it);
            if (!taken[size_t(*it)] && line.startTime == item->row().startTime) {
                taken[size_t(*it)] = true;
                item->setRow(line);
                found = true;
                break;
            }
        }
        if (!found)
            item->setEnded();
    }
    emit dataChanged(index(0, 0), index(int(m_topItems.size()) - 1, columnTotal - 1),
                     { Qt::DisplayRole });

    std::vector<const ProcessRow *> started;
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        if (!taken[size_t(i)] && shown(m_lines.at(i)))
            started.push_back(&m_lines.at(i));
    }
    if (!started.empty()) {
        sortRows(&started, m_sortColumn, m_sortOrder);
        const int old = int(m_topItems.size());
        beginInsertRows(QModelIndex(), old, old + int(started.size()) - 1);
        for (const ProcessRow *line : started) {
            auto row = std::make_unique<TopObject>();
            row->setRow(*line);
            m_topItems.push_back(std::move(row));
        }
        endInsertRows();
    }
    followSelection();
}

void TopMonitor::sort(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= columnTotal)
        return;
    m_sortColumn = column;
    m_sortOrder = order;
    arrange();
}

void TopMonitor::setFilterText(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed == m_filterText)
        return;
    m_filterText = trimmed;
    arrange();
}

void TopMonitor::setShowKernelThreads(bool show)
{
    if (show == m_showKernelThreads)
        return;
    m_showKernelThreads = show;
    arrange();
}

void TopMonitor::rememberSelection()
{
    if (m_movingSelection)
        return;
    const QModelIndexList rows = m_selection->selectedRows();
    if (rows.isEmpty()) {
        m_selectedPid.clear();
        m_selectedCommand.clear();
        return;
    }
    const int row = rows.first().row();
    if (row < 0 || size_t(row) >= m_topItems.size())
        return;
    const TopObject *item = m_topItems[size_t(row)].get();
    if (item->ended()) {
        m_selectedPid.clear();
        m_selectedCommand.clear();
        m_vanished = tr("%1 (pid %2)").arg(item->command(), item->pid());
        return;
    }
    m_selectedPid = item->pid();
    m_selectedStartTime = item->row().startTime;
    m_selectedCommand = item->command();
    m_vanished.clear();
}

void TopMonitor::followSelection()
{
    if (m_selectedPid.isEmpty())
        return;
    const qint64 pid = m_selectedPid.toLongLong();
    int found = -1;
    for (size_t i = 0; i < m_topItems.size(); ++i) {
        const TopObject &item = *m_topItems[i];
        if (item.row().pid == pid && item.row().startTime == m_selectedStartTime
            && !item.ended()) {
            found = int(i);
            break;
        }
    }
    m_movingSelection = true;
    if (found < 0) {
        m_vanished = tr("%1 (pid %2)").arg(m_selectedCommand, m_selectedPid);
        m_selectedPid.clear();
        m_selectedCommand.clear();
        m_selection->clear();
        m_movingSelection = false;
        emit statusMessage(tr("%1 has ended; nothing is selected.").arg(m_vanished));
        return;
    }
    const QModelIndexList rows = m_selection->selectedRows();
    if (rows.size() != 1 || rows.first().row() != found) {
        // Said before the selection moves: a view scrolls to its new current row at once,
        // and the window wants to scroll from where the row was.
        if (rows.size() == 1)
            emit selectedRowMoved(rows.first().row(), found);
        m_selection->select(index(found, 0), QItemSelectionModel::ClearAndSelect
                                                     | QItemSelectionModel::Rows);
        m_selection->setCurrentIndex(index(found, 0), QItemSelectionModel::NoUpdate);
    }
    m_selectedCommand = m_topItems[size_t(found)]->command();
    m_movingSelection = false;
}

void TopMonitor::selectRow(int row)
{
    if (row < 0 || size_t(row) >= m_topItems.size()) {
        m_selection->clear();
        return;
    }
    m_selection->select(index(row, 0),
                        QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_selection->setCurrentIndex(index(row, 0), QItemSelectionModel::NoUpdate);
}

ProcessActionResult TopMonitor::act(bool force)
{
    ProcessActionResult result;
    if (m_selectedPid.isEmpty()) {
        result = processActionResult(
                ProcessActionStatus::InvalidPid,
                m_vanished.isEmpty()
                        ? tr("Select a process first.")
                        : tr("%1 has already ended; select another process.")
                                  .arg(m_vanished));
    } else {
        result = force ? m_platform->forceQuitProcess(m_selectedPid)
                       : m_platform->quitProcess(m_selectedPid);
    }
    emit statusMessage(result.message);
    return result;
}

ProcessActionResult TopMonitor::onQuitProcess()
{
    return act(false);
}

ProcessActionResult TopMonitor::onForceQuitProcess()
{
    return act(true);
}

namespace {

// The identifier of each column, by position; see Column.
constexpr int columnIdentifiers[TopMonitor::columnTotal] = { 2, 3, 4, 0, 1 };

} // namespace

QVariant TopMonitor::cellValue(const QString &identifier, int row) const
{
    // An identifier that is not a number reads as 0, like the resident size column.
    return cellValue(identifier.toInt(), row);
}

QVariant TopMonitor::cellValue(int identifier, int row) const
{
    if (row < 0 || size_t(row) >= m_topItems.size())
        return {};
    const TopObject *item = m_topItems[size_t(row)].get();
    const ProcessRow &process = item->row();
    const QString dash = QStringLiteral("\u2014");
    switch (identifier) {
    case 0:
        return item->ended() ? dash : residentSizeLabel(process);
    case 1:
        return item->ended() ? tr("%1 (ended)").arg(process.command)
                             : process.command;
    case 2:
        return process.pid > 0 ? item->pid() : dash;
    case 3:
        return process.user.isEmpty() ? dash : process.user;
    case 4:
        return item->ended() ? dash : QString::number(process.cpuPercent, 'f', 1);
    default:
        return {};
    }
}

int TopMonitor::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_topItems.size());
}

int TopMonitor::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : columnTotal;
}

QVariant TopMonitor::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    if (role == Qt::DisplayRole)
        return cellValue(columnIdentifiers[index.column()], index.row());
    if (role == Qt::TextAlignmentRole && index.column() != UserColumn
        && index.column() != CommandColumn)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

bool TopMonitor::setData(const QModelIndex &, const QVariant &, int)
{
    return false; // edits in the table are discarded
}

QVariant TopMonitor::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= columnTotal)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (role) {
    case ColumnIdentifierRole:
        return QString::number(columnIdentifiers[section]);
    case Qt::DisplayRole: {
        static const char *const titles[columnTotal] = {
            QT_TR_NOOP("PID"), QT_TR_NOOP("User"), QT_TR_NOOP("CPU %"),
            QT_TR_NOOP("Resident size"), QT_TR_NOOP("Command")
        };
        return tr(titles[section]);
    }
    case Qt::InitialSortOrderRole:
        // Figures are looked at largest first, names from A.
        return int(section == CpuColumn || section == ResidentSizeColumn ? Qt::DescendingOrder
                                                                          : Qt::AscendingOrder);
    default:
        return {};
    }
}
