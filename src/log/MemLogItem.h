#pragma once

#include <QtGlobal>

// One row of the memory log: four numbers in the order free, inactive, wired, active (bytes
// for a sample row, relative changes for a delta row) and when the sample was taken. Numbers
// stay numbers; the table formats them when it shows them.
struct MemLogItem
{
    float free = 0;
    float inactive = 0;
    float wired = 0;
    float active = 0;
    qint64 sampledAtMs = 0; // milliseconds since the epoch; 0 when unknown

    // The figure of column 0 to 3 (free, inactive, wired, active).
    float value(int column) const;
};
