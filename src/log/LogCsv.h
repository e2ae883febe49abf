#pragma once

#include "MemLogItem.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace Kalvoren {

// The log rows as CSV (RFC 4180): a header "time,free,inactive,wired,active", then one line
// per row with the sample time (ISO 8601 with milliseconds and the UTC offset) and the four
// texts as shown. Fields with commas, quotes or line breaks are quoted.
QByteArray logCsv(const QList<MemLogItem> &rows);

// Writes logCsv(rows) to path all at once: the file is replaced only when everything was
// written. False with a message in error otherwise; an existing file is then left as it was.
bool saveLogCsv(const QList<MemLogItem> &rows, const QString &path, QString *error);

} // namespace Kalvoren
