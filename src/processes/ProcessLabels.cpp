#include "ProcessLabels.h"

namespace Kalvoren {

QString binarySizeText(quint64 bytes)
{
    if (bytes < 1024)
        return QString::number(bytes) + QStringLiteral(" B");
    static const char *const units[] = { "KiB", "MiB", "GiB", "TiB", "PiB" };
    double value = double(bytes) / 1024.0;
    size_t unit = 0;
    // 1023.95 and up would print as 1024.0: that is one of the next unit.
    while (value >= 1023.95 && unit + 1 < std::size(units)) {
        value /= 1024.0;
        ++unit;
    }
    return QString::number(value, 'f', 1) + QLatin1Char(' ') + QLatin1String(units[unit]);
}

QString residentSizeLabel(const ProcessRow &row)
{
    if (row.kernelThread && row.residentBytes == 0)
        return QStringLiteral("\u2014");
    return binarySizeText(row.residentBytes);
}

bool processMatchesFilter(const ProcessRow &row, QStringView text)
{
    if (text.isEmpty())
        return true;
    if (row.command.contains(text, Qt::CaseInsensitive)
        || row.user.contains(text, Qt::CaseInsensitive))
        return true;
    return text.front().isDigit() && row.pid > 0 && QString::number(row.pid).startsWith(text);
}

} // namespace Kalvoren
