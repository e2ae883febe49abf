#include "LogCsv.h"

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

QByteArray logCsv(const QList<MemLogItem> &rows)
{
    QByteArray out("time,free,inactive,wired,active\r\n");
    out.reserve(out.size() + rows.size() * 80);
    for (const MemLogItem &row : rows) {
        appendField(&out, timeText(row.sampledAt()));
        out.append(',');
        appendField(&out, row.free());
        out.append(',');
        appendField(&out, row.inactive());
        out.append(',');
        appendField(&out, row.wired());
        out.append(',');
        appendField(&out, row.active());
        out.append("\r\n");
    }
    return out;
}

bool saveLogCsv(const QList<MemLogItem> &rows, const QString &path, QString *error)
{
    return saveFileAtomically(path, logCsv(rows), error);
}

} // namespace Kalvoren
