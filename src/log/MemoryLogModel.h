#pragma once

#include "MemLogItem.h"
#include "stats/MemoryFigures.h"

#include <QAbstractTableModel>
#include <QDateTime>
#include <QHash>
#include <QList>

namespace Kalvoren {

// The memory log's rows and the table model that shows them: one sample row per logged sample
// and, beside it, a delta row with each figure's relative change since the previous logged
// sample. Both lists always hold the same number of rows; the table shows one of them.
//
// Rows hold numbers; data() formats them: a sample cell as "%.2f MB", a delta cell as "%f",
// the first column as the time of the sample. A figure cell the user edited shows the edited
// text instead, and nothing is recomputed from it.
//
// The model tells its views exactly what changed (rows inserted at the end, rows removed from
// the front), so a view keeps its scroll position and selection between samples.
class MemoryLogModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { TimeColumn, FreeColumn, InactiveColumn, WiredColumn, ActiveColumn, ColumnCount };
    // Header data of a column: its identifier ("time", "free", "inactive", "wired", "active").
    static constexpr int IdentifierRole = Qt::UserRole + 1;
    // Cell data: when the row's sample was taken (a QDateTime).
    static constexpr int SampledAtRole = Qt::UserRole + 2;

    // The figures of the previous logged sample as the log shows them, in MB; -1 before the
    // first.
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

    // Logs one sample unless logging is stopped. First drops the oldest rows until at most
    // rowLimit remain, then appends, so the log holds up to rowLimit + 1 rows; a limit of 0 or
    // less keeps only the newest row.
    void addItem(const MemoryFigures &figures, int rowLimit,
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
    LastValues lastValues() const { return m_last; }

    // The text a cell of the sample rows (deltas false) or of the delta rows shows: the
    // user's edit if there is one, else the number formatted; the time column shows the
    // sample's local time of day.
    QString cellText(bool deltas, int row, int column) const;

    // The relative change of value against last (value / last - 1), 1 when there is no
    // previous value (last is -1). A previous value of 0 gives infinity or not-a-number,
    // which is shown as its text like any other.
    static float delta(float value, float last);
    static QString deltaText(float delta);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    // Edits change only the shown text of the shown row; nothing is recomputed.
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    // Rows keep their serial number for life, so an edit stays with its row as older rows
    // drop out in front of it.
    quint64 editKey(bool deltas, int row, int column) const;

    QList<MemLogItem> m_items;
    QList<MemLogItem> m_itemdeltas;
    QHash<quint64, QString> m_edits;
    quint64 m_firstSerial = 0; // the serial number of row 0
    LastValues m_last;
    bool m_stopped = false;
    bool m_showDeltas = true;
};

} // namespace Kalvoren
