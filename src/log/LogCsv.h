#pragma once

#include <QByteArray>
#include <QString>

namespace Kalvoren {

class MemoryLogModel;

// The rows the log shows as CSV (RFC 4180), for spreadsheets: a header, then one line per row
// with the sample time (ISO 8601 with milliseconds and the UTC offset) and four numbers with a
// point as decimal separator. Sample rows give megabytes ("time,free_mb,inactive_mb,wired_mb,
// active_mb"), delta rows the relative changes ("time,free_change,..."). A cell the user edited
// is written as edited; fields with commas, quotes or line breaks are quoted.
QByteArray logCsv(const MemoryLogModel &model);

// Writes logCsv(model) to path all at once: the file is replaced only when everything was
// written. False with a message in error otherwise; an existing file is then left as it was.
bool saveLogCsv(const MemoryLogModel &model, const QString &path, QString *error);

} // namespace Kalvoren
