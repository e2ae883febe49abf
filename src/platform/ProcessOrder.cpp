#include "ProcessOrder.h"

#include <algorithm>

namespace Kalvoren {
namespace {

// <0, 0 or >0 as a comes before, with or after b in ascending order of key.
int compareKey(const ProcessRow &a, const ProcessRow &b, ProcessSortKey key)
{
    const auto threeWay = [](auto x, auto y) { return x < y ? -1 : (y < x ? 1 : 0); };
    // Many rows share a name (workers, shells, kernel threads): equal text is a quick memcmp,
    // where folding the case would walk it character by character.
    const auto text = [](const QString &x, const QString &y) {
        return x == y ? 0 : x.compare(y, Qt::CaseInsensitive);
    };
    switch (key) {
    case ProcessSortKey::Pid:
        return threeWay(a.pid, b.pid);
    case ProcessSortKey::User:
        return text(a.user, b.user);
    case ProcessSortKey::Cpu:
        return threeWay(a.cpuPercent, b.cpuPercent);
    case ProcessSortKey::ResidentSize:
        return threeWay(a.residentBytes, b.residentBytes);
    case ProcessSortKey::Command:
        return text(a.command, b.command);
    }
    return 0;
}

} // namespace

bool processBefore(const ProcessRow &a, const ProcessRow &b, ProcessSortKey key,
                   Qt::SortOrder order)
{
    const int c = compareKey(a, b, key);
    if (c != 0)
        return order == Qt::AscendingOrder ? c < 0 : c > 0;
    return a.pid < b.pid;
}

void sortProcessRows(QList<ProcessRow> *rows, ProcessSortKey key, Qt::SortOrder order)
{
    std::stable_sort(rows->begin(), rows->end(),
                     [key, order](const ProcessRow &a, const ProcessRow &b) {
                         return processBefore(a, b, key, order);
                     });
}

} // namespace Kalvoren
