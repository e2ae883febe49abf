#pragma once

#include "platform/MemoryRoom.h"
#include "platform/linux/ProcMemInfo.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace Kalvoren {

// Where this process sits in the memory cgroup hierarchies, from /proc/self/cgroup
// (Documentation/admin-guide/cgroup-v1/cgroups.rst and cgroup-v2.rst): the v1 line whose
// controller list holds "memory", and the v2 line "0::path".
struct CgroupPlacement
{
    std::optional<QString> v1MemoryPath;
    std::optional<QString> v2Path;
};
CgroupPlacement parseProcCgroup(QByteArrayView text);

// A cgroup file system as /proc/self/mountinfo shows it: the directory of the hierarchy that
// is mounted (root, "/" unless a cgroup namespace or a bind mount narrows it) and where.
struct CgroupMount
{
    QString root;
    QString mountPoint;
};
struct CgroupMounts
{
    std::optional<CgroupMount> v1Memory;
    std::optional<CgroupMount> v2;
};
CgroupMounts parseMountInfo(QByteArrayView text);

// The directories of the cgroup at path and of each ancestor up to the mount point, own
// first. Empty when the path lies outside what is mounted.
QStringList cgroupDirectories(const CgroupMount &mount, const QString &path);

// One level of the hierarchy that has a limit.
struct CgroupLevel
{
    QString directory;
    quint64 limitBytes = 0;
    quint64 usageBytes = 0;        // what the kernel charges, page cache included
    quint64 inactiveFileBytes = 0; // page cache the kernel drops before it fails a charge
    quint64 activeFileBytes = 0;   // page cache it deactivates, then drops, after that
};

// Reads the limited levels of both hierarchies (v1 memory.limit_in_bytes and
// memory.usage_in_bytes, v2 memory.max and memory.current, and the file LRU lists from
// memory.stat). Levels without a limit are left out. procRoot holds self/cgroup and
// self/mountinfo.
std::vector<CgroupLevel> readCgroupLevels(const QString &procRoot);

// What may still be taken: MemAvailable (MemFree on kernels without it) against MemTotal,
// narrowed by every cgroup level's limit less its working set. The reclaim scope is the
// machine or the level with the least unused room, whichever fills first. Empty without
// MemTotal.
std::optional<MemoryRoom> memoryRoomFrom(const MemInfo &info,
                                         const std::vector<CgroupLevel> &levels);

// memoryRoomFrom over procRoot/meminfo and the cgroups procRoot names; for platforms that
// keep no reader of their own open.
std::optional<MemoryRoom> readMemoryRoom(const QString &procRoot);

} // namespace Kalvoren
