#include "TopMonitor.h"

#include "TopObject.h"
#include "platform/Platform.h"

#include "platform/commands/TopText.h"

#include <QCoreApplication>
#include <QTimer>

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
    const int count = int(lines.size());
    if (count == 0)
        return;
    const int old = int(m_topItems.size());
    if (count < old) {
        beginRemoveRows(QModelIndex(), count, old - 1);
        m_topItems.resize(size_t(count));
        endRemoveRows();
    }
    const int kept = std::min(count, old);
    for (int i = 0; i < kept; ++i) {
        m_topItems[size_t(i)]->setRow(lines.at(i));
    }
    if (count > old) {
        beginInsertRows(QModelIndex(), old, count - 1);
        m_topItems.reserve(size_t(count));
        for (int i = old; i < count; ++i) {
            auto row = std::make_unique<TopObject>();
            row->setRow(lines.at(i));
            m_topItems.push_back(std::move(row));
        }
        endInsertRows();
    }
    if (kept > 0)
        emit dataChanged(index(0, 0), index(kept - 1, columnCount() - 1), { Qt::DisplayRole });
    followSelection();
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
    m_selectedPid = m_topItems[size_t(row)]->pid();
    m_selectedCommand = m_topItems[size_t(row)]->command();
    m_vanished.clear();
}

void TopMonitor::followSelection()
{
    if (m_selectedPid.isEmpty())
        return;
    int found = -1;
    for (size_t i = 0; i < m_topItems.size(); ++i) {
        if (m_topItems[i]->pid() == m_selectedPid) {
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

QVariant TopMonitor::cellValue(const QString &identifier, int row) const
{
    if (row < 0 || size_t(row) >= m_topItems.size())
        return {};
    const TopObject *item = m_topItems[size_t(row)].get();
    // An identifier that is not a number reads as 0, like the resident size column.
    switch (identifier.toInt()) {
    case 0:
        return residentSizeText(item->row().residentBytes);
    case 1:
        return item->command();
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
    return parent.isValid() ? 0 : 2;
}

QVariant TopMonitor::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    if (role == Qt::DisplayRole)
        return cellValue(QString::number(index.column()), index.row());
    if (role == Qt::TextAlignmentRole && index.column() == 0)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    if (role == Qt::ToolTipRole) {
        const TopObject *item = m_topItems[size_t(index.row())].get();
        return tr("pid %1, CPU %2%")
                .arg(item->pid(), QString::number(item->row().cpuPercent, 'f', 1));
    }
    return {};
}

bool TopMonitor::setData(const QModelIndex &, const QVariant &, int)
{
    return false; // edits in the table are discarded
}

QVariant TopMonitor::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (section == 0)
        return tr("Resident size");
    if (section == 1)
        return tr("Command");
    return {};
}
