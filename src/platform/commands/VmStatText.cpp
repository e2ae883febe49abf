#include "VmStatText.h"

#include "Kesh.h"

#include <cmath>
#include <cstdio>

namespace Kalvoren {
namespace {

// A count as printed; absurd counts beyond 64 bits saturate rather than wrap.
quint64 count(const QString &digits)
{
    bool ok = false;
    const quint64 value = digits.toULongLong(&ok);
    return ok ? value : ~quint64(0);
}

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

quint64 bytesOf(quint64 pages, quint64 pageSize)
{
    if (pageSize != 0 && pages > ~quint64(0) / pageSize)
        return ~quint64(0);
    return pages * pageSize;
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

std::optional<MemorySample> sampleFromVmStat(const QString &text, VmStatPattern pattern)
{
    static const QString eight = patternText(VmStatPattern::EightGroups);
    static const QString seven = patternText(VmStatPattern::SevenGroups);
    const bool eightGroups = pattern == VmStatPattern::EightGroups;
    return sampleFromValues(
            Kesh::quickMatches(matchablePart(text, pattern), eightGroups ? eight : seven),
            pattern);
}

std::optional<MemorySample> sampleFromValues(const QStringList &values, VmStatPattern pattern)
{
    const bool eightGroups = pattern == VmStatPattern::EightGroups;
    const int wiredIndex = eightGroups ? 5 : 4;
    if (values.size() < wiredIndex + 3)
        return std::nullopt;

    MemorySample s;
    s.pageSize = count(values.at(0));
    s.freeBytes = bytesOf(count(values.at(1)), s.pageSize);
    s.activeBytes = bytesOf(count(values.at(2)), s.pageSize);
    s.inactiveBytes = bytesOf(count(values.at(3)), s.pageSize);
    if (eightGroups)
        s.speculativeBytes = bytesOf(count(values.at(4)), s.pageSize);
    s.wiredBytes = bytesOf(count(values.at(wiredIndex)), s.pageSize);
    s.pageIns = count(values.at(wiredIndex + 1));
    s.pageOuts = count(values.at(wiredIndex + 2));
    quint64 total = 0;
    for (const quint64 part : { s.freeBytes, s.speculativeBytes.value_or(0), s.activeBytes,
                                s.inactiveBytes, s.wiredBytes })
        total = part > ~quint64(0) - total ? ~quint64(0) : total + part;
    s.totalBytes = total;
    return s;
}

QString normalizeVmStatText(QString text)
{
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    text.replace(QChar(0x00A0), QLatin1Char(' '));
    return text;
}

QByteArray renderVmStat(const MemorySample &sample)
{
    const quint64 pageSize = sample.pageSize ? sample.pageSize : 1;
    const auto pages = [pageSize](quint64 bytes) {
        return static_cast<unsigned long long>(bytes / pageSize);
    };
    char buffer[512];
    const int length = std::snprintf(buffer, sizeof buffer,
            "Mach Virtual Memory Statistics: (page size of %llu bytes)\n"
            "Pages free:                   %12llu.\n"
            "Pages active:                 %12llu.\n"
            "Pages inactive:               %12llu.\n"
            "Pages speculative:            %12llu.\n"
            "Pages wired down:             %12llu.\n"
            "Pageins:                      %12llu.\n"
            "Pageouts:                     %12llu.\n",
            static_cast<unsigned long long>(sample.pageSize), pages(sample.freeBytes),
            pages(sample.activeBytes), pages(sample.inactiveBytes),
            pages(sample.speculativeBytes.value_or(0)), pages(sample.wiredBytes),
            static_cast<unsigned long long>(sample.pageIns),
            static_cast<unsigned long long>(sample.pageOuts));
    return QByteArray(buffer, qMin<int>(length, int(sizeof buffer) - 1));
}

} // namespace Kalvoren
