#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

namespace Kalvoren {

// The two patterns that pick the figures out of the BSD-style vm_stat command's text, used
// verbatim by the sampler. The eight-group one needs a "Pages speculative:" line.
inline constexpr char eightGroupPattern[] =
        "([0-9]+) bytes.*Pages free:[ ]+([0-9]+).*Pages active:[ ]+([0-9]+).*Pages inactive:[ ]+"
        "([0-9]+).*Pages speculative:[ ]+([0-9]+).*Pages wired down:[ ]+([0-9]+).*Pageins:[ ]+"
        "([0-9]+).*Pageouts:[ ]+([0-9]+)";
inline constexpr char sevenGroupPattern[] =
        "([0-9]+) bytes.*Pages free:[ ]+([0-9]+).*Pages active:[ ]+([0-9]+).*Pages inactive:[ ]+"
        "([0-9]+).*Pages wired down:[ ]+([0-9]+).*Pageins:[ ]+([0-9]+).*Pageouts:[ ]+([0-9]+)";

// Framework versions that change behaviour: from 949 the optimizer takes 20 blocks, from 1038
// vm_stat prints a speculative line and the optimizer takes 1.3 x the unused memory.
inline constexpr int frameworkVersion949 = 949;
inline constexpr int frameworkVersion1038 = 1038;

enum class VmStatPattern { EightGroups, SevenGroups };

// The pattern the running system's vm_stat text needs: eight groups from version 1038 on.
VmStatPattern patternForFrameworkVersion(double version);
// For text from an unknown system: eight groups when it has a "Pages speculative:" line.
VmStatPattern patternForText(QStringView text);
QString patternText(VmStatPattern pattern);

// One sample's figures. 32-bit floats on purpose: the display texts, the pie and the log are
// computed at this precision, so the shown digits match what users compare.
struct MemoryFigures
{
    float Free = 0;
    float Inactive = 0;
    float Active = 0;
    float Wired = 0;
    float Ins = 0;  // page-ins, a running count of pages
    float Outs = 0; // page-outs, a running count of pages
    qint32 TotalUnused = 0;
    float totalRam = 0; // GiB
};

// Turns the captured groups (index 0 is the page size) into figures, in the sampler's order
// of arithmetic. Empty when there are too few groups: the text did not match.
std::optional<MemoryFigures> figuresFromValues(const QStringList &values, VmStatPattern pattern);

// Matches text with the pattern and computes the figures; empty when nothing matches. The
// pattern is matched on the part of the text that a match can use, so a text of many MiB
// gives the same figures as its few relevant lines would.
// Throws PatternError only if a pattern fails to compile.
std::optional<MemoryFigures> figuresFromVmStat(const QString &text, VmStatPattern pattern);

// Free + Inactive truncated toward zero. Sums of 2 GiB and more do not fit a 32-bit integer;
// they are clamped to its largest value instead of wrapping into a negative count.
qint32 totalUnusedFrom(float unusedBytes);

// "%.2f MB" of bytes x 2^-20 and "%.2f GB" of GiB, always with a point.
QString megabytesText(float bytes);
QString gigabytesText(float gibibytes);

struct MemoryTexts
{
    QString free;
    QString inactive;
    QString wired;
    QString active;
    QString total;
};
MemoryTexts textsFor(const MemoryFigures &figures);

} // namespace Kalvoren
