#include "ZramDevices.h"

#include <QFile>

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>

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

// A small sysfs file below dirFd; empty when it cannot be read.
QByteArray readSmallFile(int dirFd, const char *path)
{
    const int fd = ::openat(dirFd, path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return QByteArray();
    char buffer[512];
    ssize_t n;
    do {
        n = ::read(fd, buffer, sizeof buffer);
    } while (n < 0 && errno == EINTR);
    ::close(fd);
    return n > 0 ? QByteArray(buffer, n) : QByteArray();
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
    // The kernel brackets the selected one: "lzo [lzo-rle] lz4". In a damaged text the first
    // pair with nothing but a name between its brackets counts, so that no bracket is taken
    // into the name.
    qsizetype from = 0;
    qsizetype close = -1;
    while ((close = text.indexOf(']', from)) >= 0) {
        const qsizetype open = text.lastIndexOf('[', close);
        if (open >= from && close > open + 1)
            return QString::fromLatin1(text.sliced(open + 1, close - open - 1));
        from = close + 1;
    }
    return QString();
}

QList<ZramDevice> readZramDevices(const QString &sysRoot)
{
    QList<ZramDevice> devices;
    if (sysRoot.isEmpty())
        return devices;
    // Plain directory calls: this runs with every sample.
    const QByteArray blockPath = QFile::encodeName(sysRoot) + "/block";
    DIR *block = ::opendir(blockPath.constData());
    if (!block)
        return devices;
    while (const dirent *entry = ::readdir(block)) {
        if (std::strncmp(entry->d_name, "zram", 4) != 0)
            continue;
        const int dirFd = ::openat(::dirfd(block), entry->d_name,
                                   O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dirFd < 0)
            continue;
        const QList<quint64> disksize = leadingNumbers(readSmallFile(dirFd, "disksize"), 1);
        if (!disksize.isEmpty() && disksize.first() > 0) { // else not set up: nothing to show
            ZramDevice device;
            device.device = QString::fromLocal8Bit(entry->d_name);
            device.disksizeBytes = disksize.first();
            const ZramMmStat stat = parseZramMmStat(readSmallFile(dirFd, "mm_stat"));
            device.origDataBytes = stat.origDataBytes;
            device.comprDataBytes = stat.comprDataBytes;
            device.memUsedBytes = stat.memUsedBytes;
            device.algorithm = selectedZramAlgorithm(readSmallFile(dirFd, "comp_algorithm"));
            devices.append(device);
        }
        ::close(dirFd);
    }
    ::closedir(block);
    std::sort(devices.begin(), devices.end(), [](const ZramDevice &a, const ZramDevice &b) {
        return a.device.size() != b.device.size() ? a.device.size() < b.device.size()
                                                  : a.device < b.device;
    });
    return devices;
}

} // namespace Kalvoren
