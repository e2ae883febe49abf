#include "ZramDevices.h"

#include <QDir>
#include <QFile>

#include <charconv>

namespace Kalvoren {
namespace {

// The whitespace-separated unsigned numbers at the start of text, up to max of them.
QList<quint64> leadingNumbers(QByteArrayView text, int max)
{
    QList<quint64> numbers;
    const char *p = text.data();
    const char *end = p + text.size();
    while (numbers.size() < max) {
        while (p < end && (*p == ' ' || *p == '\t' || *p == '\n'))
            ++p;
        quint64 value = 0;
        const auto [next, error] = std::from_chars(p, end, value);
        if (error != std::errc() || (next < end && *next != ' ' && *next != '\t' && *next != '\n'))
            break;
        numbers.append(value);
        p = next;
    }
    return numbers;
}

QByteArray readSmallFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return QByteArray();
    return file.read(4096);
}

} // namespace

ZramMmStat parseZramMmStat(QByteArrayView text)
{
    const QList<quint64> numbers = leadingNumbers(text, 3);
    ZramMmStat stat;
    if (numbers.size() == 3) {
        stat.origDataBytes = numbers.at(0);
        stat.comprDataBytes = numbers.at(1);
        stat.memUsedBytes = numbers.at(2);
    }
    return stat;
}

QString selectedZramAlgorithm(QByteArrayView text)
{
    const qsizetype open = text.indexOf('[');
    const qsizetype close = open < 0 ? -1 : text.indexOf(']', open);
    if (close <= open + 1)
        return QString();
    return QString::fromLatin1(text.sliced(open + 1, close - open - 1));
}

QList<ZramDevice> readZramDevices(const QString &sysRoot)
{
    QList<ZramDevice> devices;
    if (sysRoot.isEmpty())
        return devices;
    const QDir block(sysRoot + QLatin1String("/block"));
    const QStringList names = block.entryList({ QStringLiteral("zram*") },
                                              QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &name : names) {
        const QString dir = block.filePath(name) + QLatin1Char('/');
        const QList<quint64> disksize = leadingNumbers(readSmallFile(dir + "disksize"), 1);
        if (disksize.isEmpty() || disksize.first() == 0)
            continue; // not set up: nothing to show
        ZramDevice device;
        device.device = name;
        device.disksizeBytes = disksize.first();
        const ZramMmStat stat = parseZramMmStat(readSmallFile(dir + "mm_stat"));
        device.origDataBytes = stat.origDataBytes;
        device.comprDataBytes = stat.comprDataBytes;
        device.memUsedBytes = stat.memUsedBytes;
        device.algorithm = selectedZramAlgorithm(readSmallFile(dir + "comp_algorithm"));
        devices.append(device);
    }
    return devices;
}

} // namespace Kalvoren
