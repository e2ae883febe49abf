#include "LogCsv.h"

#include "MemoryLogModel.h"
#include "platform/SaveFile.h"

namespace Kalvoren {
namespace {

void appendField(QByteArray *out, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    const bool quote = bytes.contains(',') || bytes.contains('"') || bytes.contains('\n')
            || bytes.contains('\r');
    if (!quote) {
        out->append(bytes);
        return;
    }
    out->append('"');
    for (char c : bytes) {
        if (c == '"')
            out->append('"');
        out->append(c);
    }
    out->append('"');
}

QString timeText(const QDateTime &time)
{
    if (!time.isValid())
        return QString();
    // Spell the offset out, so rows from before and after a clock change still sort and
    // compare correctly.
    return time.toOffsetFromUtc(time.offsetFromUtc()).toString(Qt::ISODateWithMs);
}

} // namespace

QByteArray logCsv(const MemoryLogModel &model)
{
    // Scripts read these names: they stay as they are in every language.
    const bool deltas = model.showDeltas();
    QByteArray out(deltas ? "time,free_change,inactive_change,wired_change,active_change\r\n"
                          : "time,free_mb,inactive_mb,wired_mb,active_mb\r\n");
    const int rows = model.rowCount();
    out.reserve(out.size() + rows * 64);
    for (int row = 0; row < rows; ++row) {
        appendField(&out, timeText(model.index(row, 0)
                                           .data(MemoryLogModel::SampledAtRole)
                                           .toDateTime()));
        for (int column = MemoryLogModel::FreeColumn; column < MemoryLogModel::ColumnCount;
             ++column) {
            out.append(',');
            QString cell = model.cellText(deltas, row, column);
            if (!deltas && cell.endsWith(QLatin1String(" MB")))
                cell.chop(3); // the unit is in the header
            appendField(&out, cell);
        }
        out.append("\r\n");
    }
    return out;
}

bool saveLogCsv(const MemoryLogModel &model, const QString &path, QString *error)
{
    return saveFileAtomically(path, logCsv(model), error);
}

} // namespace Kalvoren
