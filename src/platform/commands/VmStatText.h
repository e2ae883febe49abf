#pragma once

#include "platform/MemorySample.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <optional>

namespace Kalvoren {

// The text of a BSD-style `vm_stat` command: a header with the page size ("... (page size of
// 4096 bytes)") and labelled page counts that end in a full stop. It exists only at the edges:
// the commands platform reads the command's output, `kalvoren stats --from` a saved one, and
// `kalvoren stats --vm-stat` writes a sample in this layout.

// The two patterns that pick the counts out of such a text, used exactly as written. The
// eight-group one needs a "Pages speculative:" line.
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

// The counts the pattern finds in text, as a sample: the four classes and the speculative
// pages (eight groups only) times the page size, page-ins and page-outs as printed. The total
// is the sum of the classes. Empty when the text does not match. The pattern runs on the part
// of the text a match can use, so a text of many MiB gives the same counts as its few
// relevant lines would. Throws PatternError only if a pattern fails to compile.
std::optional<MemorySample> sampleFromVmStat(const QString &text, VmStatPattern pattern);
// The same from the groups the pattern captured (index 0 the page size); empty when there are
// too few.
std::optional<MemorySample> sampleFromValues(const QStringList &values, VmStatPattern pattern);

// Pasted text made readable for the patterns: a byte-order mark removed, no-break spaces
// turned into spaces. The patterns themselves stay as written.
QString normalizeVmStatText(QString text);

// A sample in vm_stat's layout, with a speculative line (0 where the sample has none) so that
// the eight-group pattern matches.
QByteArray renderVmStat(const MemorySample &sample);

} // namespace Kalvoren
