#include "TextValue.h"

#include <QByteArray>

#include <charconv>
#include <limits>
#include <system_error>

namespace Kalvoren {
namespace {

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

qsizetype skipSpace(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && text.at(i).isSpace())
        ++i;
    return i;
}

} // namespace

int intValue(QStringView text)
{
    qsizetype i = skipSpace(text);
    bool negative = false;
    if (i < text.size() && (text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('+'))) {
        negative = text.at(i) == QLatin1Char('-');
        ++i;
    }
    // Accumulate in 64 bits and stop growing once past the int range, so a long run of digits
    // clamps instead of wrapping around.
    constexpr qint64 limit = qint64(std::numeric_limits<int>::max()) + 1;
    qint64 value = 0;
    for (; i < text.size() && isDigit(text.at(i)); ++i) {
        if (value <= limit)
            value = value * 10 + (text.at(i).unicode() - '0');
    }
    if (negative)
        value = -value;
    if (value > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (value < std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return int(value);
}

float floatValue(QStringView text)
{
    const qsizetype start = skipSpace(text);
    qsizetype i = start;
    if (i < text.size() && (text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('+')))
        ++i;
    qsizetype digits = 0;
    while (i < text.size() && isDigit(text.at(i))) {
        ++i;
        ++digits;
    }
    if (i < text.size() && text.at(i) == QLatin1Char('.')) {
        ++i;
        while (i < text.size() && isDigit(text.at(i))) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return 0.0f;
    // An exponent counts only when digits follow it ("1e" reads 1).
    if (i < text.size() && (text.at(i) == QLatin1Char('e') || text.at(i) == QLatin1Char('E'))) {
        qsizetype j = i + 1;
        if (j < text.size() && (text.at(j) == QLatin1Char('-') || text.at(j) == QLatin1Char('+')))
            ++j;
        if (j < text.size() && isDigit(text.at(j))) {
            while (j < text.size() && isDigit(text.at(j)))
                ++j;
            i = j;
        }
    }
    // from_chars ignores the locale, so a point is the separator whatever the user's locale
    // says. It takes no leading '+'.
    qsizetype first = start;
    if (text.at(first) == QLatin1Char('+'))
        ++first;
    const QByteArray number = text.mid(first, i - first).toLatin1();
    double value = 0;
    const auto [end, error] =
            std::from_chars(number.constData(), number.constData() + number.size(), value);
    Q_UNUSED(end);
    if (error == std::errc::result_out_of_range) {
        // Too large reads as infinity, too small as 0, as a float would hold them.
        const bool tiny = number.contains("e-") || number.contains("E-");
        const bool negative = number.startsWith('-');
        if (tiny)
            return negative ? -0.0f : 0.0f;
        return negative ? -std::numeric_limits<float>::infinity()
                        : std::numeric_limits<float>::infinity();
    }
    return float(value);
}

} // namespace Kalvoren
