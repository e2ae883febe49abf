#include "ProcTop.h"

#include "platform/linux/ProcMemInfo.h"
#include "processes/TopText.h"

#include <QDateTime>
#include <QFile>

#include <dirent.h>
#include <fcntl.h>
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

QByteArray readAll(int dirFd, const char *path)
{
    QByteArray buffer(16384, Qt::Uninitialized);
    const ssize_t n = readAt(dirFd, path, buffer.data(), size_t(buffer.size()));
    if (n < 0)
        return {};
    buffer.truncate(n);
    return buffer;
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

void appendPadded(QByteArray *out, QByteArrayView text, qsizetype width)
{
    out->append(text);
    out->append(std::max<qsizetype>(1, width - text.size()), ' ');
}

QByteArray megabytes(quint64 kb)
{
    return residentSizeText(kb * 1024).toLatin1();
}

} // namespace

ProcTop::ProcTop(const QString &procRoot, quint64 pageSize)
    : m_root(QFile::encodeName(procRoot))
    , m_pageSize(pageSize)
    , m_ticksPerSecond(double(sysconf(_SC_CLK_TCK)))
{
    if (m_ticksPerSecond <= 0)
        m_ticksPerSecond = 100;
}

ProcTop::~ProcTop()
{
    if (m_rootFd >= 0)
        ::close(m_rootFd);
}

QByteArray ProcTop::printableName(QByteArrayView name)
{
    QByteArray out(name.data(), name.size());
    for (char &c : out) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            c = '?';
    }
    return out;
}

bool ProcTop::readProcess(int pid, double elapsedJiffies, QHash<int, Previous> *next,
                          Process *process, char state[1], quint64 *threads)
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
    state[0] = *p++;
    // Fields after the state, counted from 4 as in proc(5).
    quint64 fields[25] = {};
    for (int field = 4; field <= 24 && p < end; ++field)
        fields[field] = number(p, end);
    const quint64 flags = fields[9];
    const quint64 jiffies = fields[14] + fields[15];
    const quint64 startTime = fields[22];
    *threads = std::max<quint64>(1, fields[20]);
    process->pid = pid;
    process->rssBytes = fields[24] * m_pageSize;

    const auto previous = m_previous.constFind(pid);
    process->cpu = 0;
    if (previous != m_previous.constEnd() && previous->startTime == startTime
        && elapsedJiffies > 0 && jiffies >= previous->jiffies)
        process->cpu = double(jiffies - previous->jiffies) * 100.0 / elapsedJiffies;
    next->insert(pid, Previous { startTime, jiffies });

    if (flags & kernelThreadFlag) {
        process->command = '[' + printableName(comm) + ']';
        return true;
    }
    process->command = printableName(comm);
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
                process->command = printableName(word);
        }
    }
    return true;
}

QByteArray ProcTop::render(QString *error)
{
    if (m_rootFd < 0) {
        m_rootFd = ::open(m_root.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (m_rootFd < 0) {
            if (error)
                *error = QStringLiteral("cannot open %1: %2")
                                 .arg(QFile::decodeName(m_root),
                                      QString::fromLocal8Bit(std::strerror(errno)));
            return {};
        }
    }
    const int listFd = ::openat(m_rootFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR *dir = listFd >= 0 ? ::fdopendir(listFd) : nullptr;
    if (!dir) {
        if (listFd >= 0)
            ::close(listFd);
        if (error)
            *error = QStringLiteral("cannot list %1").arg(QFile::decodeName(m_root));
        return {};
    }

    // The wall-clock time since the previous render, from the tree's own uptime.
    const QByteArray uptimeText = readAll(m_rootFd, "uptime");
    m_uptime = uptimeText.isEmpty() ? 0 : std::strtod(uptimeText.constData(), nullptr);
    const double elapsedJiffies = m_previousUptime >= 0 && m_uptime > m_previousUptime
            ? (m_uptime - m_previousUptime) * m_ticksPerSecond
            : 0;

    QHash<int, Previous> next;
    next.reserve(m_previous.size() + 16);
    m_processes.clear();
    int running = 0;
    quint64 threads = 0;
    while (const dirent *entry = ::readdir(dir)) {
        const char *name = entry->d_name;
        int pid = 0;
        const char *nameEnd = name + std::strlen(name);
        const auto [rest, ec] = std::from_chars(name, nameEnd, pid);
        if (ec != std::errc() || rest != nameEnd || pid <= 0)
            continue;
        Process process;
        char state = '?';
        quint64 processThreads = 0;
        if (!readProcess(pid, elapsedJiffies, &next, &process, &state, &processThreads))
            continue;
        if (state == 'R')
            ++running;
        threads += processThreads;
        m_processes.push_back(std::move(process));
    }
    ::closedir(dir);
    m_previous.swap(next);
    m_previousUptime = m_uptime;

    std::sort(m_processes.begin(), m_processes.end(), [](const Process &a, const Process &b) {
        return a.rssBytes != b.rssBytes ? a.rssBytes > b.rssBytes : a.pid < b.pid;
    });

    QByteArray text = summary(int(m_processes.size()), running, threads);
    text.reserve(text.size() + qsizetype(m_processes.size()) * 40);
    char cpu[32];
    for (const Process &process : m_processes) {
        appendPadded(&text, QByteArray::number(process.pid), 9);
        appendPadded(&text, residentSizeText(process.rssBytes).toLatin1(), 8);
        const int length = std::snprintf(cpu, sizeof cpu, "%.1f", process.cpu);
        appendPadded(&text, QByteArrayView(cpu, length), 6);
        text.append(process.command);
        text.append('\n');
    }
    return text;
}

QByteArray ProcTop::summary(int total, int running, quint64 threads)
{
    // The system-wide CPU split since the previous render (since boot on the first).
    const QByteArray stat = readAll(m_rootFd, "stat");
    CpuTotals cpu;
    quint64 contextSwitches = 0;
    quint64 interrupts = 0;
    quint64 forks = 0;
    quint64 blocked = 0;
    for (qsizetype start = 0; start < stat.size();) {
        qsizetype stop = stat.indexOf('\n', start);
        if (stop < 0)
            stop = stat.size();
        const QByteArrayView line = QByteArrayView(stat).sliced(start, stop - start);
        start = stop + 1;
        if (line.startsWith("cpu ")) {
            const char *p = line.data() + 3;
            const char *end = line.data() + line.size();
            quint64 v[8] = {};
            for (quint64 &value : v)
                value = number(p, end);
            cpu.user = v[0] + v[1];
            cpu.system = v[2] + v[5] + v[6] + v[7];
            cpu.idle = v[3] + v[4];
        } else {
            const auto after = [&](const char *key) -> std::optional<quint64> {
                if (!line.startsWith(key))
                    return std::nullopt;
                const char *p = line.data() + std::strlen(key);
                return number(p, line.data() + line.size());
            };
            if (auto v = after("ctxt "))
                contextSwitches = *v;
            else if (auto v = after("intr "))
                interrupts = *v;
            else if (auto v = after("processes "))
                forks = *v;
            else if (auto v = after("procs_blocked "))
                blocked = *v;
        }
    }
    CpuTotals delta = cpu;
    if (cpu.total() > m_previousCpu.total() && m_previousCpu.total() > 0) {
        delta.user = cpu.user - std::min(cpu.user, m_previousCpu.user);
        delta.system = cpu.system - std::min(cpu.system, m_previousCpu.system);
        delta.idle = cpu.idle - std::min(cpu.idle, m_previousCpu.idle);
    }
    m_previousCpu = cpu;
    const double cpuTotal = std::max<double>(1, double(delta.total()));

    const QByteArray loadavg = readAll(m_rootFd, "loadavg");
    double load[3] = {};
    std::sscanf(loadavg.constData(), "%lf %lf %lf", &load[0], &load[1], &load[2]);

    const MemInfo info = parseMemInfo(readAll(m_rootFd, "meminfo"));
    const MemoryPartitionResult memory = partitionMemory(info, 1024);
    QByteArray physMem = "PhysMem: unknown.";
    if (memory.error.isEmpty()) {
        const MemoryPartition &p = memory.partition;
        physMem = "PhysMem: " + megabytes(*info.memTotal - p.freePages) + " used ("
                + megabytes(p.wiredPages) + " wired), " + megabytes(p.freePages) + " unused";
        if (info.memAvailable)
            physMem += ", " + megabytes(*info.memAvailable) + " available";
        physMem += '.';
    }

    QByteArray kernel = readAll(m_rootFd, "sys/kernel/osrelease").trimmed();
    if (kernel.isEmpty())
        kernel = "unknown";
    const quint64 up = quint64(m_uptime);

    char lines[1024];
    const int length = std::snprintf(lines, sizeof lines,
            "Processes: %d total, %d running, %d sleeping, %llu threads \n"
            "%s\n"
            "Load Avg: %.2f, %.2f, %.2f \n"
            "CPU usage: %.2f%% user, %.2f%% sys, %.2f%% idle \n"
            "%s\n"
            "Uptime: %llu days, %02llu:%02llu.\n"
            "Kernel: Linux %s.\n"
            "Context switches: %llu, interrupts: %llu.\n"
            "Forks: %llu since boot, %llu blocked.\n"
            "Sort: resident size.\n"
            "\n"
            "PID      RSIZE   %%CPU  COMMAND\n",
            total, running, total - running, static_cast<unsigned long long>(threads),
            QDateTime::currentDateTime().toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"))
                    .toLatin1().constData(),
            load[0], load[1], load[2],
            100.0 * double(delta.user) / cpuTotal, 100.0 * double(delta.system) / cpuTotal,
            100.0 * double(delta.idle) / cpuTotal,
            physMem.constData(),
            static_cast<unsigned long long>(up / 86400),
            static_cast<unsigned long long>(up / 3600 % 24),
            static_cast<unsigned long long>(up / 60 % 60),
            kernel.constData(),
            static_cast<unsigned long long>(contextSwitches),
            static_cast<unsigned long long>(interrupts),
            static_cast<unsigned long long>(forks), static_cast<unsigned long long>(blocked));
    return QByteArray(lines, std::min<int>(length, int(sizeof lines) - 1));
}

} // namespace Kalvoren
