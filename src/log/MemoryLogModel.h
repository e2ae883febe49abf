#pragma once

#include "MemLogItem.h"

#include <QAbstractTableModel>
#include <QDateTime>
#include <QList>

namespace Kalvoren {

// The memory log's rows and the table model that shows them: one sample row per logged sample
// and, beside it, a delta row with each figure's relative change since the previous logged
// sample. Both lists always hold the same number of rows; the table shows one of them.
//
// The model tells its views exactly what changed (rows inserted at the end, rows removed from
// the front), so a view keeps its scroll position and selection between samples.
class MemoryLogModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { FreeColumn, InactiveColumn, WiredColumn, ActiveColumn, ColumnCount };
    // Header data of a column: its identifier ("free", "inactive", "wired", "active").
    static constexpr int IdentifierRole = Qt::UserRole + 1;
    // Cell data: when the row's sample was taken (a QDateTime).
    static constexpr int SampledAtRole = Qt::UserRole + 2;

    // The figures of the previous logged sample, read from its texts; -1 before the first.
    struct LastValues
    {
        float free = -1.0f;
        float inactive = -1.0f;
        float wired = -1.0f;
        float active = -1.0f;
    };

    explicit MemoryLogModel(QObject *parent = nullptr);

    static QString columnIdentifier(int column);
    // -1 for an unknown identifier.
    static int columnForIdentifier(QStringView identifier);

    // Logs one sample (texts in "%.2f MB" form) unless logging is stopped. First drops the
    // oldest rows until at most rowLimit remain, then appends, so the log holds up to
    // rowLimit + 1 rows; a limit of 0 or less keeps only the newest row.
    void addItem(const QString &free, const QString &inactive, const QString &wired,
                 const QString &active, int rowLimit,
                 const QDateTime &sampledAt = QDateTime::currentDateTime());

    // Resumes and pauses logging. While stopped nothing is stored and the comparison values
    // stay as they were.
    void go();
    void stop();
    bool stopped() const { return m_stopped; }

    // Empties both lists; the comparison values stay, so the next delta row still compares
    // with the last sample before the clearing.
    void clear();

    // Which list the table shows: the delta rows (the default) or the sample rows.
    void setShowDeltas(bool showDeltas);
    bool showDeltas() const { return m_showDeltas; }

    const QList<MemLogItem> &items() const { return m_items; }
    const QList<MemLogItem> &itemdeltas() const { return m_itemdeltas; }
    const QList<MemLogItem> &shownItems() const { return m_showDeltas ? m_itemdeltas : m_items; }
    LastValues lastValues() const { return m_last; }

    // The relative change of value against last ("%f" of value / last - 1), "1.000000" when
    // there is no previous value (last is -1). A previous value of 0 gives infinity or
    // not-a-number, which is stored as its text like any other.
    static float delta(float value, float last);
    static QString deltaText(float delta);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    // Edits change only the stored text of the shown row; nothing is recomputed.
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    QList<MemLogItem> &shownList() { return m_showDeltas ? m_itemdeltas : m_items; }

    QList<MemLogItem> m_items;
    QList<MemLogItem> m_itemdeltas;
    LastValues m_last;
    bool m_stopped = false;
    bool m_showDeltas = true;
};

} // namespace Kalvoren
