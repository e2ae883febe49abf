#include "ProcProcesses.h"

#include "platform/PlatformText.h"

#include <QFile>

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>

namespace Kalvoren {
namespace {

// PF_KTHREAD in /proc/PID/stat's flags field (include/linux/sched.h).
constexpr quint64 kernelThreadFlag = 0x00200000;
// The kernel keeps TASK_COMM_LEN - 1 = 15 bytes of a command name.
constexpr qsizetype commLength = 15;

// Reads a small file below dirFd into buffer; the number of bytes, or -1.
ssize_t readAt(int dirFd, const char *path, char *buffer, size_t size)
{
    const int fd = ::openat(dirFd, path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    size_t used = 0;
    while (used < size) {
        const ssize_t n = ::read(fd, buffer + used, size - used);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ::close(fd);
            return -1;
        }
        if (n == 0)
            break;
        used += size_t(n);
    }
    ::close(fd);
    return ssize_t(used);
}

quint64 number(const char *&p, const char *end)
{
    while (p < end && *p == ' ')
        ++p;
    quint64 value = 0;
    const auto [next, ec] = std::from_chars(p, end, value);
    if (ec != std::errc())
        value = 0;
    p = next;
    // A field that is not a number (a negative priority) is skipped as a whole.
    while (p < end && *p != ' ')
        ++p;
    return value;
}

} // namespace

ProcProcesses::ProcProcesses(const QString &procRoot, quint64 pageSize)
    : m_root(QFile::encodeName(procRoot))
    , m_pageSize(pageSize)
    , m_ticksPerSecond(double(sysconf(_SC_CLK_TCK)))
{
    if (m_ticksPerSecond <= 0)
        m_ticksPerSecond = 100;
}

ProcProcesses::~ProcProcesses()
{
    if (m_rootFd >= 0)
        ::close(m_rootFd);
}

QByteArray ProcProcesses::printableName(QByteArrayView name)
{
    QByteArray out(name.data(), name.size());
    for (char &c : out) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            c = '?';
    }
    return out;
}

QString ProcProcesses::userName(qint64 uid)
{
    const auto known = m_userNames.constFind(uid);
    if (known != m_userNames.constEnd())
        return *known;
    QString name = QString::number(uid);
    passwd entry {};
    passwd *found = nullptr;
    char buffer[1024];
    if (::getpwuid_r(uid_t(uid), &entry, buffer, sizeof buffer, &found) == 0 && found)
        name = QString::fromLocal8Bit(found->pw_name);
    m_userNames.insert(uid, name);
    return name;
}

bool ProcProcesses::readProcess(int pid, double elapsedJiffies, QHash<int, Previous> *next,
                                ProcessRow *row)
{
    char path[32];
    std::snprintf(path, sizeof path, "%d/stat", pid);
    char buffer[1024];
    const ssize_t n = readAt(m_rootFd, path, buffer, sizeof buffer);
    if (n <= 0)
        return false; // ended meanwhile
    const char *begin = buffer;
    const char *end = buffer + n;
    const char *open = static_cast<const char *>(std::memchr(begin, '(', size_t(n)));
    const char *close = end;
    while (close > begin && close[-1] != ')')
        --close;
    if (!open || close <= open)
        return false;
    const QByteArrayView comm(open + 1, close - 1 - (open + 1));
    const char *p = close;
    while (p < end && *p == ' ')
        ++p;
    if (p >= end)
        return false;
    ++p; // the state
    // Fields after the state, counted from 4 as in proc(5).
    quint64 fields[25] = {};
    for (int field = 4; field <= 24 && p < end; ++field)
        fields[field] = number(p, end);
    const quint64 flags = fields[9];
    const quint64 jiffies = fields[14] + fields[15];
    row->pid = pid;
    row->startTime = fields[22];
    row->residentBytes = fields[24] * m_pageSize;
    row->kernelThread = flags & kernelThreadFlag;

    // The directory belongs to the process's owner (its effective uid).
    struct stat status {};
    std::snprintf(path, sizeof path, "%d", pid);
    if (::fstatat(m_rootFd, path, &status, 0) == 0) {
        row->uid = qint64(status.st_uid);
        row->user = userName(row->uid);
    }

    const auto previous = m_previous.constFind(pid);
    row->cpuPercent = 0;
    if (previous != m_previous.constEnd() && previous->startTime == row->startTime
        && elapsedJiffies > 0 && jiffies >= previous->jiffies)
        row->cpuPercent = double(jiffies - previous->jiffies) * 100.0 / elapsedJiffies;
    next->insert(pid, Previous { row->startTime, jiffies });

    if (row->kernelThread) {
        row->command = QString::fromLocal8Bit('[' + printableName(comm) + ']');
        return true;
    }
    QByteArray command = printableName(comm);
    if (comm.size() == commLength) {
        // The kernel cut the name; the program's file name from the command line is the whole
        // of it when it starts the same way (a process that renamed itself keeps its name).
        std::snprintf(path, sizeof path, "%d/cmdline", pid);
        char line[512];
        const ssize_t m = readAt(m_rootFd, path, line, sizeof line);
        if (m > 0) {
            QByteArrayView word(line, m);
            const qsizetype nul = word.indexOf('\0');
            if (nul >= 0)
                word = word.first(nul);
            const qsizetype slash = word.lastIndexOf('/');
            if (slash >= 0)
                word = word.sliced(slash + 1);
            if (word.size() > comm.size() && word.startsWith(comm))
                command = printableName(word);
        }
    }
    row->command = QString::fromLocal8Bit(command);
    return true;
}

std::optional<QList<ProcessRow>> ProcProcesses::read(QString *error)
{
    if (m_rootFd < 0) {
        m_rootFd = ::open(m_root.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (m_rootFd < 0) {
            if (error)
                *error = PlatformText::tr("cannot open %1: %2")
                                 .arg(QFile::decodeName(m_root),
                                      QString::fromLocal8Bit(std::strerror(errno)));
            return std::nullopt;
        }
    }
    const int listFd = ::openat(m_rootFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR *dir = listFd >= 0 ? ::fdopendir(listFd) : nullptr;
    if (!dir) {
        if (listFd >= 0)
            ::close(listFd);
        if (error)
            *error = PlatformText::tr("cannot list %1").arg(QFile::decodeName(m_root));
        return std::nullopt;
    }

    // The wall-clock time since the previous read, from the tree's own uptime.
    char uptimeText[64];
    const ssize_t uptimeLength = readAt(m_rootFd, "uptime", uptimeText, sizeof uptimeText - 1);
    uptimeText[std::max<ssize_t>(0, uptimeLength)] = '\0';
    const double uptime = uptimeLength > 0 ? std::strtod(uptimeText, nullptr) : 0;
    const double elapsedJiffies = m_previousUptime >= 0 && uptime > m_previousUptime
            ? (uptime - m_previousUptime) * m_ticksPerSecond
            : 0;

    QHash<int, Previous> next;
    next.reserve(m_previous.size() + 16);
    QList<ProcessRow> rows;
    rows.reserve(m_previous.size() + 16);
    while (const dirent *entry = ::readdir(dir)) {
        const char *name = entry->d_name;
        int pid = 0;
        const char *nameEnd = name + std::strlen(name);
        const auto [rest, ec] = std::from_chars(name, nameEnd, pid);
        if (ec != std::errc() || rest != nameEnd || pid <= 0)
            continue;
        ProcessRow row;
        if (readProcess(pid, elapsedJiffies, &next, &row))
            rows.append(std::move(row));
    }
    ::closedir(dir);
    m_previous.swap(next);
    m_previousUptime = uptime;

    std::sort(rows.begin(), rows.end(), [](const ProcessRow &a, const ProcessRow &b) {
        return a.residentBytes != b.residentBytes ? a.residentBytes > b.residentBytes
                                                  : a.pid < b.pid;
    });
    return rows;
}

} // namespace Kalvoren
