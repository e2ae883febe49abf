#include "MemLogItem.h"

float MemLogItem::value(int column) const
{
    switch (column) {
    case 0:
        return free;
    case 1:
        return inactive;
    case 2:
        return wired;
    case 3:
        return active;
    default:
        return 0;
    }
}
