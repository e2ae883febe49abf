#pragma once

#include "platform/MemorySample.h"
#include "stats/MemoryFigures.h"

#include <QString>
#include <QStringList>
#include <QVariantMap>

namespace Kalvoren {

// A sample as the command line's --json and the bus's `figures` give it: the figures in bytes
// and as shown, and every further figure the sample has under its own key (an absent figure
// is an absent key). Keys are read by scripts: they stay as they are in every language.
//   free_bytes inactive_bytes wired_bytes active_bytes total_gib pageins pageouts
//   free inactive wired active total
//   available_bytes cache_bytes shmem_bytes swap_total_bytes swap_used_bytes zswap_bytes
//   zswapped_bytes zram: [{device disksize_bytes orig_data_bytes compr_data_bytes
//   mem_used_bytes algorithm}] pressure: {some_avg10 some_avg60 some_avg300 full_avg10
//   full_avg60 full_avg300 some_total_us full_total_us}
QVariantMap sampleFields(const MemorySample &sample, const MemoryFigures &figures);

// The figures beyond the four classes, one line each, for `kalvoren stats --all`: available,
// cache, swap, each zram device, zswap, pressure. Lines for absent figures are left out.
QStringList extraFigureLines(const MemorySample &sample);

// The values alone, for the window's rows: "1234.56 MB"; "12.00 MB of 4096.00 MB, zram
// 3.10:1" or "none"; "none" or "some 3.2 %". Empty when the sample does not say.
QString availableValue(const MemorySample &sample);
QString swapValue(const MemorySample &sample);
QString pressureValue(const MemorySample &sample);

// Short texts for the tray and the command line.
// "Available: 1234.56 MB"; empty when the sample does not say.
QString availableText(const MemorySample &sample);
// "Swap: 12.00 MB of 4096.00 MB" with ", zram 3.10:1" when the swap is compressed in memory;
// "Swap: none" without swap; empty when the sample does not say.
QString swapText(const MemorySample &sample);
// "Pressure: none", "Pressure: some 3.2 %", "Pressure: full 1.5 %" (the share of the last
// 10 seconds that some or all tasks waited for memory); empty when the kernel does not say.
QString pressureText(const MemorySample &sample);

} // namespace Kalvoren
