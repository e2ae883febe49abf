#include "TopText.h"

#include "platform/ProcessAction.h"

#include <QStringList>

#include <algorithm>

namespace Kalvoren {

TopLine splitTopLine(QByteArrayView line)
{
    while (!line.isEmpty() && (line.back() == '\n' || line.back() == '\r'))
        line.chop(1);
    TopLine result;
    int field = 0;
    qsizetype i = 0;
    const qsizetype n = line.size();
    while (i < n) {
        while (i < n && line[i] == ' ')
            ++i;
        if (i == n)
            break;
        qsizetype end = i;
        while (end < n && line[end] != ' ')
            ++end;
        const QString piece = QString::fromLocal8Bit(line.sliced(i, end - i));
        switch (field) {
        case 0: result.pid = piece; break;
        case 1: result.rsize = piece; break;
        case 2: result.cpu = piece; break;
        case 3: result.command = piece; break;
        default:
            result.command += QLatin1Char(' ');
            result.command += piece;
            break;
        }
        ++field;
        i = end;
    }
    return result;
}

QList<TopLine> parseTopText(QByteArrayView text)
{
    QList<TopLine> lines;
    qsizetype start = 0;
    int lineNumber = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf('\n', start);
        if (end < 0)
            end = text.size();
        if (lineNumber >= topHeaderLines)
            lines.append(splitTopLine(text.sliced(start, end - start)));
        ++lineNumber;
        start = end + 1;
    }
    return lines;
}

QList<ProcessRow> processRowsFromTopText(QByteArrayView text)
{
    const QList<TopLine> lines = parseTopText(text);
    QList<ProcessRow> rows;
    rows.reserve(lines.size());
    for (const TopLine &line : lines) {
        ProcessRow row;
        bool ok = false;
        const qint64 pid = pidTextForAction(line.pid).toLongLong(&ok);
        row.pid = ok && pid > 0 ? pid : 0;
        row.residentBytes = quint64(std::max<qint64>(0, residentSizeBytes(line.rsize)));
        row.cpuPercent = line.cpu.toDouble(&ok);
        if (!ok)
            row.cpuPercent = 0;
        row.command = line.command;
        rows.append(std::move(row));
    }
    return rows;
}

QString residentSizeText(quint64 bytes)
{
    if (bytes < 1024)
        return QString::number(bytes) + QLatin1Char('B');
    static const char units[] = { 'K', 'M', 'G', 'T', 'P' };
    quint64 value = bytes / 1024;
    int unit = 0;
    while (value >= 10000 && unit + 1 < int(sizeof units)) {
        value /= 1024;
        ++unit;
    }
    return QString::number(value) + QLatin1Char(units[unit]);
}

qint64 residentSizeBytes(QStringView text)
{
    text = text.trimmed();
    while (!text.isEmpty() && (text.back() == u'+' || text.back() == u'-'))
        text.chop(1);
    if (text.isEmpty())
        return -1;
    int shift = 0;
    switch (text.back().toUpper().unicode()) {
    case u'B': shift = 0; text.chop(1); break;
    case u'K': shift = 10; text.chop(1); break;
    case u'M': shift = 20; text.chop(1); break;
    case u'G': shift = 30; text.chop(1); break;
    case u'T': shift = 40; text.chop(1); break;
    case u'P': shift = 50; text.chop(1); break;
    default: break;
    }
    bool ok = false;
    const double value = text.toDouble(&ok);
    // toDouble takes "nan" and "inf" too; NaN fails every comparison, so test for the good
    // range rather than the bad, or NaN reaches the integer conversion below.
    if (!ok || !(value >= 0))
        return -1;
    const double bytes = value * double(quint64(1) << shift);
    if (bytes > 9.0e18)
        return -1;
    return qint64(bytes);
}

} // namespace Kalvoren
