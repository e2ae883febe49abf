#include "MemoryLogModel.h"

namespace Kalvoren {
namespace {

constexpr const char16_t *identifiers[MemoryLogModel::ColumnCount] = {
    u"time", u"free", u"inactive", u"wired", u"active"
};
constexpr const char *titles[MemoryLogModel::ColumnCount] = {
    QT_TRANSLATE_NOOP("Kalvoren::MemoryLogModel", "Time"),
    QT_TRANSLATE_NOOP("Kalvoren::MemoryLogModel", "Free"),
    QT_TRANSLATE_NOOP("Kalvoren::MemoryLogModel", "Inactive"),
    QT_TRANSLATE_NOOP("Kalvoren::MemoryLogModel", "Wired"),
    QT_TRANSLATE_NOOP("Kalvoren::MemoryLogModel", "Active"),
};

} // namespace

MemoryLogModel::MemoryLogModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

QString MemoryLogModel::columnIdentifier(int column)
{
    if (column < 0 || column >= ColumnCount)
        return QString();
    return QString::fromUtf16(identifiers[column]);
}

int MemoryLogModel::columnForIdentifier(QStringView identifier)
{
    for (int column = 0; column < ColumnCount; ++column) {
        if (identifier == QStringView(identifiers[column]))
            return column;
    }
    return -1;
}

float MemoryLogModel::delta(float value, float last)
{
    // Exactly -1 marks "no previous sample"; no figure the log shows is negative.
    if (last == -1.0f)
        return 1.0f;
    return value / last - 1.0f;
}

QString MemoryLogModel::deltaText(float delta)
{
    return fixedText(double(delta), 6);
}

quint64 MemoryLogModel::editKey(bool deltas, int row, int column) const
{
    return ((m_firstSerial + quint64(row)) << 4) | (quint64(deltas) << 3) | quint64(column);
}

void MemoryLogModel::addItem(const MemoryFigures &figures, int rowLimit,
                             const QDateTime &sampledAt)
{
    if (m_stopped)
        return;

    // The limit is applied before the new row goes in: at most rowLimit + 1 rows afterwards.
    const qsizetype keep = qMax(rowLimit, 0);
    if (m_items.size() > keep) {
        const qsizetype drop = m_items.size() - keep;
        beginRemoveRows(QModelIndex(), 0, int(drop - 1));
        m_items.remove(0, drop);
        m_itemdeltas.remove(0, drop);
        if (!m_edits.isEmpty()) {
            const quint64 firstKept = (m_firstSerial + quint64(drop)) << 4;
            m_edits.removeIf([firstKept](const auto &edit) { return edit.key() < firstKept; });
        }
        m_firstSerial += quint64(drop);
        endRemoveRows();
    }

    const qint64 time = sampledAt.isValid() ? sampledAt.toMSecsSinceEpoch() : 0;
    const MemLogItem sample { figures.Free, figures.Inactive, figures.Wired, figures.Active,
                              time };
    // The changes compare the figures as the sample rows show them (in MB, two decimals).
    const LastValues now { shownMegabytes(figures.Free), shownMegabytes(figures.Inactive),
                           shownMegabytes(figures.Wired), shownMegabytes(figures.Active) };
    const MemLogItem change { delta(now.free, m_last.free), delta(now.inactive, m_last.inactive),
                              delta(now.wired, m_last.wired), delta(now.active, m_last.active),
                              time };
    m_last = now;

    const int row = int(m_items.size());
    beginInsertRows(QModelIndex(), row, row);
    m_items.append(sample);
    m_itemdeltas.append(change);
    endInsertRows();
}

void MemoryLogModel::go()
{
    m_stopped = false;
}

void MemoryLogModel::stop()
{
    m_stopped = true;
}

void MemoryLogModel::clear()
{
    if (m_items.isEmpty())
        return;
    beginRemoveRows(QModelIndex(), 0, int(m_items.size() - 1));
    m_firstSerial += quint64(m_items.size());
    m_items.clear();
    m_itemdeltas.clear();
    m_edits.clear();
    endRemoveRows();
}

void MemoryLogModel::setShowDeltas(bool showDeltas)
{
    if (m_showDeltas == showDeltas)
        return;
    m_showDeltas = showDeltas;
    // Same rows, other texts: one change covering every cell.
    if (!m_items.isEmpty())
        emit dataChanged(index(0, 0), index(int(m_items.size() - 1), ColumnCount - 1));
}

QString MemoryLogModel::cellText(bool deltas, int row, int column) const
{
    if (row < 0 || row >= m_items.size() || column < 0 || column >= ColumnCount)
        return QString();
    if (column == TimeColumn) {
        const qint64 time = m_items.at(row).sampledAtMs;
        return time ? QDateTime::fromMSecsSinceEpoch(time).toString(QStringLiteral("HH:mm:ss"))
                    : QString();
    }
    if (!m_edits.isEmpty()) {
        const auto edit = m_edits.constFind(editKey(deltas, row, column));
        if (edit != m_edits.constEnd())
            return *edit;
    }
    const int figure = column - FreeColumn;
    if (deltas)
        return deltaText(m_itemdeltas.at(row).value(figure));
    return megabytesText(m_items.at(row).value(figure));
}

int MemoryLogModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_itemdeltas.size());
}

int MemoryLogModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant MemoryLogModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return cellText(m_showDeltas, index.row(), index.column());
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    case SampledAtRole: {
        const qint64 time = m_items.at(index.row()).sampledAtMs;
        return time ? QDateTime::fromMSecsSinceEpoch(time) : QDateTime();
    }
    default:
        return QVariant();
    }
}

bool MemoryLogModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || index.column() == TimeColumn
        || !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return false;
    m_edits.insert(editKey(m_showDeltas, index.row(), index.column()), value.toString());
    emit dataChanged(index, index, { Qt::DisplayRole, Qt::EditRole });
    return true;
}

Qt::ItemFlags MemoryLogModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    const Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
    return index.column() == TimeColumn ? flags : flags | Qt::ItemIsEditable;
}

QVariant MemoryLogModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return tr(titles[section]);
    if (role == IdentifierRole)
        return columnIdentifier(section);
    return QVariant();
}

} // namespace Kalvoren
