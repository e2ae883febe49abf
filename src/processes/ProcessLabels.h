#pragma once

#include "platform/ProcessRow.h"

#include <QString>

namespace Kalvoren {

// A byte count in binary units with one decimal: "512 B", "12.0 KiB", "846.2 MiB", "3.5 GiB".
// The unit is the largest that leaves at least 1.0 after rounding, so no "1024.0 KiB".
QString binarySizeText(quint64 bytes);

// The resident size as the process table shows it: a kernel thread, which has no memory of
// its own, shows a dash instead of "0 B".
QString residentSizeLabel(const ProcessRow &row);

// Does the row match what the user typed in the filter field? An empty text matches every
// row; otherwise the command or the user contains it (case aside), or the pid starts with it.
bool processMatchesFilter(const ProcessRow &row, QStringView text);

} // namespace Kalvoren
