#include "SampleReport.h"

#include <QCoreApplication>
#include <QVariantList>

namespace Kalvoren {
namespace {

struct SampleReport
{
    Q_DECLARE_TR_FUNCTIONS(Kalvoren::SampleReport)
};

void insertBytes(QVariantMap *map, const char *key, const std::optional<quint64> &bytes)
{
    if (bytes)
        map->insert(QLatin1String(key), *bytes);
}

QString mb(quint64 bytes)
{
    return megabytesText(float(bytes));
}

QVariantMap pressureLine(const char *prefix, const MemoryPressure::Line &line)
{
    const QString p = QLatin1String(prefix);
    return { { p + QLatin1String("_avg10"), line.avg10 },
             { p + QLatin1String("_avg60"), line.avg60 },
             { p + QLatin1String("_avg300"), line.avg300 },
             { p + QLatin1String("_total_us"), line.totalUs } };
}

// The zram device that backs the swap, if the swap is compressed in memory.
std::optional<double> zramRatio(const MemorySample &sample)
{
    for (const ZramDevice &device : sample.zram) {
        if (const std::optional<double> ratio = device.compressionRatio())
            return ratio;
    }
    return std::nullopt;
}

} // namespace

QVariantMap sampleFields(const MemorySample &sample, const MemoryFigures &f)
{
    const MemoryTexts t = textsFor(f);
    QVariantMap map {
        { QStringLiteral("free_bytes"), double(f.Free) },
        { QStringLiteral("inactive_bytes"), double(f.Inactive) },
        { QStringLiteral("wired_bytes"), double(f.Wired) },
        { QStringLiteral("active_bytes"), double(f.Active) },
        { QStringLiteral("total_gib"), double(f.totalRam) },
        { QStringLiteral("pageins"), double(f.Ins) },
        { QStringLiteral("pageouts"), double(f.Outs) },
        { QStringLiteral("free"), t.free },
        { QStringLiteral("inactive"), t.inactive },
        { QStringLiteral("wired"), t.wired },
        { QStringLiteral("active"), t.active },
        { QStringLiteral("total"), t.total },
    };
    insertBytes(&map, "available_bytes", sample.availableBytes);
    insertBytes(&map, "cache_bytes", sample.cacheBytes);
    insertBytes(&map, "shmem_bytes", sample.shmemBytes);
    insertBytes(&map, "swap_total_bytes", sample.swapTotalBytes);
    insertBytes(&map, "swap_used_bytes", sample.swapUsedBytes());
    insertBytes(&map, "zswap_bytes", sample.zswapBytes);
    insertBytes(&map, "zswapped_bytes", sample.zswappedBytes);
    if (!sample.zram.isEmpty()) {
        QVariantList devices;
        for (const ZramDevice &d : sample.zram) {
            QVariantMap device { { QStringLiteral("device"), d.device } };
            insertBytes(&device, "disksize_bytes", d.disksizeBytes);
            insertBytes(&device, "orig_data_bytes", d.origDataBytes);
            insertBytes(&device, "compr_data_bytes", d.comprDataBytes);
            insertBytes(&device, "mem_used_bytes", d.memUsedBytes);
            if (!d.algorithm.isEmpty())
                device.insert(QStringLiteral("algorithm"), d.algorithm);
            devices.append(device);
        }
        map.insert(QStringLiteral("zram"), devices);
    }
    if (sample.pressure) {
        QVariantMap pressure = pressureLine("some", sample.pressure->some);
        if (sample.pressure->full)
            pressure.insert(pressureLine("full", *sample.pressure->full));
        map.insert(QStringLiteral("pressure"), pressure);
    }
    return map;
}

QString availableValue(const MemorySample &sample)
{
    return sample.availableBytes ? mb(*sample.availableBytes) : QString();
}

QString swapValue(const MemorySample &sample)
{
    const std::optional<quint64> used = sample.swapUsedBytes();
    if (!used)
        return QString();
    if (*sample.swapTotalBytes == 0)
        return SampleReport::tr("none", "no swap");
    QString text = SampleReport::tr("%1 of %2").arg(mb(*used), mb(*sample.swapTotalBytes));
    if (const std::optional<double> ratio = zramRatio(sample))
        text += SampleReport::tr(", zram %1:1").arg(fixedText(*ratio, 2));
    return text;
}

QString pressureValue(const MemorySample &sample)
{
    if (!sample.pressure)
        return QString();
    const MemoryPressure &p = *sample.pressure;
    // Below a hundredth of a percent the kernel's averages are rounding noise.
    if (p.full && p.full->avg10 >= 0.01)
        return SampleReport::tr("full %1 %").arg(fixedText(p.full->avg10, 1));
    if (p.some.avg10 >= 0.01)
        return SampleReport::tr("some %1 %").arg(fixedText(p.some.avg10, 1));
    return SampleReport::tr("none", "no memory pressure");
}

QString availableText(const MemorySample &sample)
{
    const QString value = availableValue(sample);
    return value.isEmpty() ? value : SampleReport::tr("Available: %1").arg(value);
}

QString swapText(const MemorySample &sample)
{
    const QString value = swapValue(sample);
    return value.isEmpty() ? value : SampleReport::tr("Swap: %1").arg(value);
}

QString pressureText(const MemorySample &sample)
{
    const QString value = pressureValue(sample);
    return value.isEmpty() ? value : SampleReport::tr("Pressure: %1").arg(value);
}

QStringList extraFigureLines(const MemorySample &sample)
{
    QStringList lines;
    if (const QString available = availableText(sample); !available.isEmpty())
        lines << available;
    if (sample.cacheBytes) {
        QString cache = SampleReport::tr("Cache: %1").arg(mb(*sample.cacheBytes));
        if (sample.shmemBytes)
            cache += SampleReport::tr(" (shared memory %1)").arg(mb(*sample.shmemBytes));
        lines << cache;
    }
    if (const QString swap = swapText(sample); !swap.isEmpty())
        lines << swap;
    for (const ZramDevice &d : sample.zram) {
        QString line = d.device;
        if (!d.algorithm.isEmpty())
            line += QStringLiteral(" (%1)").arg(d.algorithm);
        line += QLatin1String(": ");
        if (d.origDataBytes && d.comprDataBytes) {
            line += SampleReport::tr("%1 stored in %2")
                            .arg(mb(*d.origDataBytes), mb(*d.comprDataBytes));
            if (const std::optional<double> ratio = d.compressionRatio())
                line += SampleReport::tr(", ratio %1:1").arg(fixedText(*ratio, 2));
        } else {
            line += SampleReport::tr("no figures");
        }
        if (d.memUsedBytes)
            line += SampleReport::tr(", taking %1").arg(mb(*d.memUsedBytes));
        if (d.disksizeBytes)
            line += SampleReport::tr(" (size %1)").arg(mb(*d.disksizeBytes));
        lines << line;
    }
    if (sample.zswapBytes) {
        QString zswap = SampleReport::tr("Zswap: %1").arg(mb(*sample.zswapBytes));
        if (sample.zswappedBytes)
            zswap += SampleReport::tr(" holding %1").arg(mb(*sample.zswappedBytes));
        lines << zswap;
    }
    if (sample.pressure) {
        const MemoryPressure &p = *sample.pressure;
        QString pressure = pressureText(sample);
        pressure += SampleReport::tr(" (some %1/%2/%3")
                            .arg(fixedText(p.some.avg10, 2), fixedText(p.some.avg60, 2),
                                 fixedText(p.some.avg300, 2));
        if (p.full)
            pressure += SampleReport::tr(", full %1/%2/%3")
                                .arg(fixedText(p.full->avg10, 2), fixedText(p.full->avg60, 2),
                                     fixedText(p.full->avg300, 2));
        pressure += SampleReport::tr(" % over 10 s/60 s/300 s)");
        lines << pressure;
    }
    return lines;
}

} // namespace Kalvoren
