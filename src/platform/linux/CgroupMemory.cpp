#include "CgroupMemory.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <initializer_list>
#include <utility>

namespace Kalvoren {
namespace {

// v1 reports "no limit" as the largest page counter, 2^63 rounded down to a page; anything in
// that region is no limit at all.
constexpr quint64 unlimitedFrom = quint64(1) << 62;

QString unescapeMountField(QByteArrayView field)
{
    // mountinfo writes space, tab, newline and backslash as three octal digits.
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const char c = field[i];
        if (c == '\\' && i + 3 < field.size()) {
            const QByteArrayView digits = field.sliced(i + 1, 3);
            bool ok = false;
            const int value = digits.toByteArray().toInt(&ok, 8);
            if (ok && value < 256) {
                out.append(char(value));
                i += 3;
                continue;
            }
        }
        out.append(c);
    }
    return QFile::decodeName(out);
}

std::optional<QByteArray> readSmallFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.read(1 << 20);
}

std::optional<quint64> readNumber(const QString &path, bool *unlimited = nullptr)
{
    const std::optional<QByteArray> text = readSmallFile(path);
    if (!text)
        return std::nullopt;
    const QByteArray trimmed = text->trimmed();
    if (unlimited)
        *unlimited = trimmed == "max";
    if (trimmed == "max")
        return std::nullopt;
    bool ok = false;
    const quint64 value = trimmed.toULongLong(&ok);
    if (!ok)
        return std::nullopt;
    if (unlimited && value >= unlimitedFrom)
        *unlimited = true;
    return value;
}

// The named fields of a memory.stat file ("name value" lines); absent ones stay 0.
using StatField = std::pair<QByteArrayView, quint64 *>;
void readStatFields(const QString &path, std::initializer_list<StatField> fields)
{
    const std::optional<QByteArray> text = readSmallFile(path);
    if (!text)
        return;
    for (const QByteArray &line : text->split('\n')) {
        const qsizetype space = line.indexOf(' ');
        if (space <= 0)
            continue;
        const QByteArrayView name = QByteArrayView(line).first(space);
        for (const auto &[wanted, value] : fields) {
            if (name != wanted)
                continue;
            bool ok = false;
            const quint64 parsed = line.mid(space + 1).trimmed().toULongLong(&ok);
            *value = ok ? parsed : 0;
        }
    }
}

void addLevels(const std::optional<CgroupMount> &mount, const std::optional<QString> &path,
               bool v2, std::vector<CgroupLevel> *levels)
{
    if (!mount || !path)
        return;
    for (const QString &directory : cgroupDirectories(*mount, *path)) {
        bool unlimited = false;
        const std::optional<quint64> limit = readNumber(
                directory + (v2 ? QLatin1String("/memory.max")
                                : QLatin1String("/memory.limit_in_bytes")),
                &unlimited);
        if (!limit || unlimited)
            continue;
        const std::optional<quint64> usage = readNumber(
                directory + (v2 ? QLatin1String("/memory.current")
                                : QLatin1String("/memory.usage_in_bytes")));
        if (!usage)
            continue;
        CgroupLevel level;
        level.directory = directory;
        level.limitBytes = *limit;
        level.usageBytes = *usage;
        // v1's memory.stat counts the level alone in inactive_file and the level with its
        // children in total_inactive_file, which is what usage_in_bytes counts too.
        readStatFields(directory + QLatin1String("/memory.stat"),
                       { { v2 ? "inactive_file" : "total_inactive_file",
                           &level.inactiveFileBytes },
                         { v2 ? "active_file" : "total_active_file", &level.activeFileBytes } });
        levels->push_back(level);
    }
}

} // namespace

CgroupPlacement parseProcCgroup(QByteArrayView text)
{
    CgroupPlacement placement;
    for (const QByteArray &line : text.toByteArray().split('\n')) {
        // hierarchy-ID:controller-list:cgroup-path; the path itself may hold colons.
        const qsizetype first = line.indexOf(':');
        if (first < 0)
            continue;
        const qsizetype second = line.indexOf(':', first + 1);
        if (second < 0)
            continue;
        const QByteArray id = line.left(first);
        const QByteArray controllers = line.mid(first + 1, second - first - 1);
        const QString path = QFile::decodeName(line.mid(second + 1));
        if (id == "0" && controllers.isEmpty()) {
            placement.v2Path = path;
            continue;
        }
        for (const QByteArray &controller : controllers.split(',')) {
            if (controller == "memory")
                placement.v1MemoryPath = path;
        }
    }
    return placement;
}

CgroupMounts parseMountInfo(QByteArrayView text)
{
    CgroupMounts mounts;
    for (const QByteArray &line : text.toByteArray().split('\n')) {
        // id parent major:minor root mount-point options [optional...] - type source super
        const QList<QByteArray> fields = line.split(' ');
        const auto dash = std::find(fields.begin(), fields.end(), QByteArray("-"));
        if (fields.size() < 5 || dash == fields.end() || fields.end() - dash < 4)
            continue;
        const QByteArray &type = *(dash + 1);
        const QByteArray &superOptions = *(dash + 3);
        CgroupMount mount { unescapeMountField(fields[3]), unescapeMountField(fields[4]) };
        if (type == "cgroup2") {
            if (!mounts.v2)
                mounts.v2 = mount;
        } else if (type == "cgroup") {
            for (const QByteArray &option : superOptions.split(',')) {
                if (option == "memory" && !mounts.v1Memory)
                    mounts.v1Memory = mount;
            }
        }
    }
    return mounts;
}

QStringList cgroupDirectories(const CgroupMount &mount, const QString &path)
{
    QString relative = QDir::cleanPath(path);
    const QString root = QDir::cleanPath(mount.root);
    if (root != QLatin1String("/")) {
        // A namespaced or bind-mounted hierarchy shows only what lies under its root.
        if (relative == root)
            relative = QStringLiteral("/");
        else if (relative.startsWith(root + QLatin1Char('/')))
            relative = relative.mid(root.size());
        // Inside a cgroup namespace the path is already relative to the mounted root.
    }
    if (!relative.startsWith(QLatin1Char('/')) || relative.contains(QLatin1String("/../"))
        || relative.endsWith(QLatin1String("/..")))
        return {};
    QStringList directories;
    QString current = relative;
    for (;;) {
        directories.append(QDir::cleanPath(mount.mountPoint + current));
        if (current == QLatin1String("/"))
            break;
        current = current.left(current.lastIndexOf(QLatin1Char('/')));
        if (current.isEmpty())
            current = QStringLiteral("/");
    }
    return directories;
}

std::vector<CgroupLevel> readCgroupLevels(const QString &procRoot)
{
    std::vector<CgroupLevel> levels;
    const std::optional<QByteArray> cgroup = readSmallFile(procRoot + QLatin1String("/self/cgroup"));
    const std::optional<QByteArray> mountInfo =
            readSmallFile(procRoot + QLatin1String("/self/mountinfo"));
    if (!cgroup || !mountInfo)
        return levels;
    const CgroupPlacement placement = parseProcCgroup(*cgroup);
    const CgroupMounts mounts = parseMountInfo(*mountInfo);
    addLevels(mounts.v1Memory, placement.v1MemoryPath, false, &levels);
    addLevels(mounts.v2, placement.v2Path, true, &levels);
    return levels;
}

std::optional<MemoryRoom> memoryRoomFrom(const MemInfo &info,
                                         const std::vector<CgroupLevel> &levels)
{
    if (!info.memTotal)
        return std::nullopt;
    auto bytes = [](std::optional<quint64> kb) {
        return kb ? std::optional<quint64>(*kb * 1024) : std::nullopt;
    };
    MemoryRoom room;
    // MemAvailable is the kernel's own estimate of what can be taken without swapping
    // (Documentation/filesystems/proc.rst); without it only MemFree is sure.
    const quint64 availableKb = info.memAvailable ? *info.memAvailable : info.memFree.value_or(0);
    room.availableBytes = std::min(availableKb, *info.memTotal) * 1024;
    room.limitBytes = *info.memTotal * 1024;
    room.boundBy = QStringLiteral("memory");
    room.memFreeBytes = bytes(info.memFree);
    room.memAvailableBytes = bytes(info.memAvailable);
    room.swapFreeBytes = bytes(info.swapFree);
    if (info.activeFile && info.inactiveFile)
        room.fileCacheBytes = (*info.activeFile + *info.inactiveFile) * 1024;
    if (info.memFree && room.fileCacheBytes) {
        room.reclaim = ReclaimScope { *room.memFreeBytes, *room.fileCacheBytes,
                                      *info.inactiveFile * 1024 };
    }
    for (const CgroupLevel &level : levels) {
        // The working set as the kernel sees it before reclaim gives up: what is charged,
        // less the inactive page cache it can still drop.
        const quint64 used = level.usageBytes - std::min(level.usageBytes,
                                                         level.inactiveFileBytes);
        const quint64 free = level.limitBytes - std::min(level.limitBytes, used);
        if (free < room.availableBytes) {
            room.availableBytes = free;
            room.limitBytes = level.limitBytes;
            room.boundBy = level.directory;
        }
        // A level fills up before the machine when less is left under its limit; reclaim
        // then comes out of the page cache charged to it.
        const quint64 unused = level.limitBytes - std::min(level.limitBytes, level.usageBytes);
        if (room.reclaim && unused < room.reclaim->freeBytes) {
            room.reclaim = ReclaimScope { unused, level.activeFileBytes + level.inactiveFileBytes,
                                          level.inactiveFileBytes };
        }
    }
    return room;
}

std::optional<MemoryRoom> readMemoryRoom(const QString &procRoot)
{
    const std::optional<QByteArray> meminfo = readSmallFile(procRoot + QLatin1String("/meminfo"));
    if (!meminfo)
        return std::nullopt;
    return memoryRoomFrom(parseMemInfo(*meminfo), readCgroupLevels(procRoot));
}

} // namespace Kalvoren
