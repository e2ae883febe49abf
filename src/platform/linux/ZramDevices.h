#pragma once

#include "platform/MemorySample.h"

#include <QByteArrayView>
#include <QList>
#include <QString>

#include <optional>

namespace Kalvoren {

// The compressed swap devices in memory, from /sys/block/zram*/
// (Documentation/admin-guide/blockdev/zram.rst).

// mm_stat: "orig_data_size compr_data_size mem_used_total mem_limit mem_used_max same_pages
// pages_compacted [huge_pages [huge_pages_since]]": seven fields on older kernels, nine on
// newer ones. Only the first three are read; a line with fewer numbers leaves them empty.
struct ZramMmStat
{
    std::optional<quint64> origDataBytes;
    std::optional<quint64> comprDataBytes;
    std::optional<quint64> memUsedBytes;
};
ZramMmStat parseZramMmStat(QByteArrayView text);

// comp_algorithm lists the compressors with the selected one in brackets: "lzo [lz4] zstd".
// Empty when none is marked.
QString selectedZramAlgorithm(QByteArrayView text);

// Every zram device under sysRoot/block that is set up (disksize above 0), in number order.
// A device whose files cannot be read keeps those figures empty; no sysRoot, no devices.
QList<ZramDevice> readZramDevices(const QString &sysRoot);

} // namespace Kalvoren
