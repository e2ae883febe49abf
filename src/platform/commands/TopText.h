#pragma once

#include "platform/ProcessRow.h"

#include <QByteArrayView>
#include <QList>
#include <QString>

namespace Kalvoren {

// One process line of top's logging output, fields as top printed them.
struct TopLine
{
    QString pid;
    QString rsize;
    QString cpu;
    QString command;

    friend bool operator==(const TopLine &, const TopLine &) = default;
};

// top prints a summary block, a blank line and the column titles before the process lines.
inline constexpr int topHeaderLines = 12;

// The process lines of a `top -l 1 -o rsize -stats pid,rsize,cpu,command` text: every line
// after the first twelve, in order. Twelve lines or fewer give an empty list. A final line
// without its newline still counts; a trailing newline does not start another line.
QList<TopLine> parseTopText(QByteArrayView text);

// The process lines of such a text as rows: the pid after the quit actions' "-" rule (0 when
// it is not a number), the resident size read back into bytes (0 when it is not a size), the
// CPU percentage and the command.
QList<ProcessRow> processRowsFromTopText(QByteArrayView text);

// Splits one line at runs of spaces: pid, rsize, cpu, then the command with its words joined by
// single spaces. Missing fields stay null. Line ends are not part of any field.
TopLine splitTopLine(QByteArrayView line);

// A resident size the way top writes it: bytes below 1 KiB as "0B"/"512B", otherwise whole
// K, M, G or T, choosing the smallest unit that keeps the number under five digits
// ("6321K", "846M", "15G").
QString residentSizeText(quint64 bytes);

// Reads such a text back into bytes ("846M" is 846 MiB; "12345" without unit is bytes;
// a trailing '+' or '-' that top adds for growth is ignored). -1 when it is not a size.
qint64 residentSizeBytes(QStringView text);

} // namespace Kalvoren
