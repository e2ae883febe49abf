#include "MemoryLogModel.h"

#include "stats/TextValue.h"

namespace Kalvoren {
namespace {

constexpr const char16_t *identifiers[MemoryLogModel::ColumnCount] = {
    u"free", u"inactive", u"wired", u"active"
};
constexpr const char *titles[MemoryLogModel::ColumnCount] = {
    QT_TRANSLATE_NOOP("Kalvoren::MemoryLogModel", "Free"),
    QT_TRANSLATE_NOOP("Kalvoren::MemoryLogModel", "Inactive"),
    QT_TRANSLATE_NOOP("Kalvoren::MemoryLogModel", "Wired"),
    QT_TRANSLATE_NOOP("Kalvoren::MemoryLogModel", "Active"),
};

// Sizing hint only: a day of samples at the 2-second interval is about 43,000 rows.
constexpr qsizetype initialCapacity = 10000;

} // namespace

MemoryLogModel::MemoryLogModel(QObject *parent)
    : QAbstractTableModel(parent)
{
    m_items.reserve(initialCapacity);
    m_itemdeltas.reserve(initialCapacity);
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
    // Exactly -1 marks "no previous sample"; no figure read from a "%.2f MB" text is negative.
    if (last == -1.0f)
        return 1.0f;
    return value / last - 1.0f;
}

QString MemoryLogModel::deltaText(float delta)
{
    return QString::asprintf("%f", double(delta));
}

void MemoryLogModel::addItem(const QString &free, const QString &inactive, const QString &wired,
                             const QString &active, int rowLimit, const QDateTime &sampledAt)
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
        endRemoveRows();
    }

    MemLogItem sample;
    sample.setFree(free);
    sample.setInactive(inactive);
    sample.setWired(wired);
    sample.setActive(active);
    sample.setSampledAt(sampledAt);

    const LastValues now { floatValue(free), floatValue(inactive), floatValue(wired),
                           floatValue(active) };
    MemLogItem change;
    change.setFree(deltaText(delta(now.free, m_last.free)));
    change.setInactive(deltaText(delta(now.inactive, m_last.inactive)));
    change.setWired(deltaText(delta(now.wired, m_last.wired)));
    change.setActive(deltaText(delta(now.active, m_last.active)));
    change.setSampledAt(sampledAt);
    m_last = now;

    const int row = int(m_items.size());
    beginInsertRows(QModelIndex(), row, row);
    m_items.append(std::move(sample));
    m_itemdeltas.append(std::move(change));
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
    m_items.clear();
    m_itemdeltas.clear();
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
    const MemLogItem &row = shownItems().at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return row.value(QStringView(identifiers[index.column()]));
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    case SampledAtRole:
        return row.sampledAt();
    default:
        return QVariant();
    }
}

bool MemoryLogModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole
        || !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return false;
    shownList()[index.row()].setValue(QStringView(identifiers[index.column()]), value.toString());
    emit dataChanged(index, index, { Qt::DisplayRole, Qt::EditRole });
    return true;
}

Qt::ItemFlags MemoryLogModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable
            | Qt::ItemNeverHasChildren;
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
