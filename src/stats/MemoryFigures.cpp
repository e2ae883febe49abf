#include "MemoryFigures.h"

#include "Kesh.h"

#include <cmath>
#include <limits>

namespace Kalvoren {
namespace {

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// The end of "LABEL[ ]+[0-9]+" when text holds it at from (label already found there), else -1.
qsizetype valueEnd(QStringView text, qsizetype from, qsizetype labelSize)
{
    qsizetype i = from + labelSize;
    const qsizetype spaces = i;
    while (i < text.size() && text[i] == u' ')
        ++i;
    const qsizetype digits = i;
    while (i < text.size() && isDigit(text[i]))
        ++i;
    return i > digits && digits > spaces ? i : -1;
}

// The part of text that a pattern's match can use, one piece per line; empty when the pattern
// cannot match. On a text of some MiB the verbatim patterns give up: each greedy ".*" runs to
// the end and back, and PCRE2's match limit ends the search before a match is found. What a
// match uses is fixed, though: the first "N bytes", then for each label from the last one
// backwards its last "LABEL[ ]+[0-9]+" before the one chosen after it (a greedy ".*" takes the
// latest that still lets the rest match). On those pieces the verbatim pattern finds the same
// groups, and at once.
QString matchablePart(const QString &text, VmStatPattern pattern)
{
    static const QLatin1String eightLabels[] = {
        QLatin1String("Pages free:"),        QLatin1String("Pages active:"),
        QLatin1String("Pages inactive:"),    QLatin1String("Pages speculative:"),
        QLatin1String("Pages wired down:"),  QLatin1String("Pageins:"),
        QLatin1String("Pageouts:"),
    };
    static const QLatin1String sevenLabels[] = {
        QLatin1String("Pages free:"),        QLatin1String("Pages active:"),
        QLatin1String("Pages inactive:"),    QLatin1String("Pages wired down:"),
        QLatin1String("Pageins:"),           QLatin1String("Pageouts:"),
    };
    const QStringView view(text);
    const bool eight = pattern == VmStatPattern::EightGroups;
    const QLatin1String *labels = eight ? eightLabels : sevenLabels;
    const int labelCount = eight ? 7 : 6;

    QStringList pieces;
    qsizetype bound = view.size(); // where the piece chosen after this one begins
    for (int n = labelCount - 1; n >= 0; --n) {
        const QLatin1String label = labels[n];
        qsizetype at = -1;
        qsizetype end = -1;
        for (qsizetype from = bound - 1; from >= 0; from = at - 1) {
            at = view.lastIndexOf(label, from);
            if (at < 0)
                break;
            end = valueEnd(view, at, label.size());
            if (end >= 0 && end <= bound)
                break;
            end = -1;
        }
        if (end < 0)
            return QString();
        pieces.prepend(view.sliced(at, end - at).toString());
        bound = at;
    }
    // The match starts at the first run of digits followed by " bytes".
    for (qsizetype at = view.indexOf(QLatin1String(" bytes")); at >= 0;
         at = view.indexOf(QLatin1String(" bytes"), at + 1)) {
        if (at == 0 || !isDigit(view[at - 1]))
            continue;
        qsizetype start = at - 1;
        while (start > 0 && isDigit(view[start - 1]))
            --start;
        const qsizetype end = at + 6;
        if (end > bound)
            return QString();
        pieces.prepend(view.sliced(start, end - start).toString());
        return pieces.join(QLatin1Char('\n'));
    }
    return QString();
}

} // namespace

VmStatPattern patternForFrameworkVersion(double version)
{
    return std::floor(version) >= frameworkVersion1038 ? VmStatPattern::EightGroups
                                                       : VmStatPattern::SevenGroups;
}

VmStatPattern patternForText(QStringView text)
{
    return text.contains(QLatin1String("Pages speculative:")) ? VmStatPattern::EightGroups
                                                              : VmStatPattern::SevenGroups;
}

QString patternText(VmStatPattern pattern)
{
    return QString::fromLatin1(pattern == VmStatPattern::EightGroups ? eightGroupPattern
                                                                     : sevenGroupPattern);
}

std::optional<MemoryFigures> figuresFromValues(const QStringList &values, VmStatPattern pattern)
{
    const bool eight = pattern == VmStatPattern::EightGroups;
    const int wiredIndex = eight ? 5 : 4;
    if (values.size() < wiredIndex + 3)
        return std::nullopt;

    MemoryFigures f;
    const float pageSize = values.at(0).toFloat();
    f.Free = values.at(1).toFloat();
    f.Active = values.at(2).toFloat();
    f.Inactive = values.at(3).toFloat();
    f.Wired = values.at(wiredIndex).toFloat();
    if (eight)
        f.Free += values.at(4).toFloat();
    f.Free *= pageSize;
    f.Active *= pageSize;
    f.Inactive *= pageSize;
    f.Wired *= pageSize;
    f.Ins = values.at(wiredIndex + 1).toFloat();
    f.Outs = values.at(wiredIndex + 2).toFloat();
    f.TotalUnused = totalUnusedFrom(f.Free + f.Inactive);
    float sum = f.Free + f.Active;
    sum += f.Inactive;
    sum += f.Wired;
    f.totalRam = sum * 0x1p-20f * 0x1p-10f;
    return f;
}

std::optional<MemoryFigures> figuresFromVmStat(const QString &text, VmStatPattern pattern)
{
    return figuresFromValues(Kesh::quickMatches(matchablePart(text, pattern),
                                                patternText(pattern)),
                             pattern);
}

qint32 totalUnusedFrom(float unusedBytes)
{
    constexpr float limit = 2147483648.0f; // 2^31, exactly representable
    if (std::isnan(unusedBytes))
        return 0;
    if (!(unusedBytes > -limit))
        return std::numeric_limits<qint32>::min();
    if (unusedBytes >= limit)
        return std::numeric_limits<qint32>::max();
    return static_cast<qint32>(unusedBytes);
}

QString megabytesText(float bytes)
{
    // QString::asprintf ignores the locale, so the separator is always a point.
    return QString::asprintf("%.2f MB", double(bytes * 0x1p-20f));
}

QString gigabytesText(float gibibytes)
{
    return QString::asprintf("%.2f GB", double(gibibytes));
}

MemoryTexts textsFor(const MemoryFigures &figures)
{
    return { megabytesText(figures.Free), megabytesText(figures.Inactive),
             megabytesText(figures.Wired), megabytesText(figures.Active),
             gigabytesText(figures.totalRam) };
}

} // namespace Kalvoren
