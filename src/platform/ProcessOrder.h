#pragma once

#include "platform/ProcessRow.h"

#include <QList>
#include <Qt>

namespace Kalvoren {

// What a process list can be ordered by.
enum class ProcessSortKey { Pid, User, Cpu, ResidentSize, Command };

// True when a goes before b. Names compare without regard to case. Rows equal in the key go by
// pid, smallest first, in either order, so that a refresh never swaps two equal rows.
bool processBefore(const ProcessRow &a, const ProcessRow &b, ProcessSortKey key,
                   Qt::SortOrder order);

void sortProcessRows(QList<ProcessRow> *rows, ProcessSortKey key, Qt::SortOrder order);

} // namespace Kalvoren
