#include "PressureStall.h"

#include <charconv>

namespace Kalvoren {
namespace {

// "avg10=1.50 avg60=0.80 avg300=0.40 total=12500000": all four, or nothing.
std::optional<MemoryPressure::Line> parseLine(QByteArrayView fields)
{
    MemoryPressure::Line line;
    int seen = 0;
    while (!fields.isEmpty()) {
        while (!fields.isEmpty() && fields.front() == ' ')
            fields = fields.sliced(1);
        qsizetype end = fields.indexOf(' ');
        if (end < 0)
            end = fields.size();
        const QByteArrayView field = fields.first(end);
        fields = fields.sliced(end);
        const qsizetype equals = field.indexOf('=');
        if (equals <= 0)
            continue;
        const QByteArrayView name = field.first(equals);
        const char *begin = field.data() + equals + 1;
        const char *stop = field.data() + field.size();
        if (name == "total") {
            if (std::from_chars(begin, stop, line.totalUs).ptr != stop)
                return std::nullopt;
            seen |= 8;
            continue;
        }
        double value = 0;
        const auto [ptr, error] = std::from_chars(begin, stop, value);
        if (error != std::errc() || ptr != stop || !(value >= 0 && value <= 100))
            return std::nullopt;
        if (name == "avg10") {
            line.avg10 = value;
            seen |= 1;
        } else if (name == "avg60") {
            line.avg60 = value;
            seen |= 2;
        } else if (name == "avg300") {
            line.avg300 = value;
            seen |= 4;
        }
    }
    if (seen != 15)
        return std::nullopt;
    return line;
}

} // namespace

std::optional<MemoryPressure> parsePressure(QByteArrayView text)
{
    std::optional<MemoryPressure::Line> some;
    std::optional<MemoryPressure::Line> full;
    while (!text.isEmpty()) {
        qsizetype end = text.indexOf('\n');
        const QByteArrayView line = end < 0 ? text : text.first(end);
        text = end < 0 ? QByteArrayView() : text.sliced(end + 1);
        if (line.startsWith("some "))
            some = parseLine(line.sliced(5));
        else if (line.startsWith("full "))
            full = parseLine(line.sliced(5));
    }
    if (!some)
        return std::nullopt;
    return MemoryPressure { *some, full };
}

} // namespace Kalvoren
