#include "LinuxPlatform.h"

#include "platform/PlatformText.h"

#include "PressureStall.h"
#include "ProcProcesses.h"
#include "ZramDevices.h"

#include <QFile>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>

namespace Kalvoren {
namespace {

// The real user id of process pid (the first figure of "Uid:" in its status file); empty when
// the file cannot be read or lacks the line.
std::optional<uid_t> processOwner(const QString &procRoot, qint64 pid)
{
    QFile status(procRoot + QLatin1Char('/') + QString::number(pid) + QLatin1String("/status"));
    if (!status.open(QIODevice::ReadOnly))
        return std::nullopt;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (!line.startsWith("Uid:"))
            continue;
        bool ok = false;
        const uint uid = line.mid(4).simplified().split(' ').value(0).toUInt(&ok);
        return ok ? std::optional<uid_t>(uid_t(uid)) : std::nullopt;
    }
    return std::nullopt;
}

} // namespace

LinuxPlatform::LinuxPlatform(const QString &procRoot, WindowCloser closer,
                             const QString &sysRoot)
    : m_procRoot(procRoot)
    , m_sysRoot(!sysRoot.isEmpty()                           ? sysRoot
                        : procRoot == QLatin1String("/proc") ? QStringLiteral("/sys")
                                                             : QString())
    , m_pageSize(quint64(sysconf(_SC_PAGESIZE)))
    , m_windowCloser(std::move(closer))
{
}

LinuxPlatform::~LinuxPlatform()
{
    if (m_meminfoFd >= 0)
        ::close(m_meminfoFd);
    if (m_vmstatFd >= 0)
        ::close(m_vmstatFd);
    if (m_pressureFd >= 0)
        ::close(m_pressureFd);
}

std::unique_ptr<LinuxPlatform> LinuxPlatform::forSystemRoot(const QString &root)
{
    return std::make_unique<LinuxPlatform>(root + QLatin1String("/proc"), defaultWindowCloser(),
                                           root + QLatin1String("/sys"));
}

QString LinuxPlatform::name() const
{
    return QStringLiteral("linux");
}

double LinuxPlatform::frameworkVersion() const
{
    // A modern system: the eight-group pattern and the optimizer's modern row.
    return 1038.0;
}

bool LinuxPlatform::readProcFile(int *fd, const char *name, QByteArray *buffer, QString *error)
{
    const QString path = m_procRoot + QLatin1Char('/') + QLatin1String(name);
    if (*fd < 0) {
        *fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
        if (*fd < 0) {
            if (error)
                *error = PlatformText::tr("cannot open %1: %2")
                                 .arg(path, QString::fromLocal8Bit(std::strerror(errno)));
            return false;
        }
    }
    if (buffer->size() < 8192)
        buffer->resize(8192);
    qsizetype used = 0;
    for (;;) {
        if (used == buffer->size())
            buffer->resize(buffer->size() * 2);
        const ssize_t n = ::pread(*fd, buffer->data() + used, size_t(buffer->size() - used),
                                  off_t(used));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (error)
                *error = PlatformText::tr("cannot read %1: %2")
                                 .arg(path, QString::fromLocal8Bit(std::strerror(errno)));
            ::close(*fd);
            *fd = -1;
            return false;
        }
        if (n == 0)
            break;
        used += n;
    }
    buffer->truncate(used);
    return true;
}

MemInfo LinuxPlatform::readMemInfo(QString *error)
{
    QMutexLocker locker(&m_mutex);
    if (!readProcFile(&m_meminfoFd, "meminfo", &m_meminfoBuffer, error))
        return {};
    return parseMemInfo(m_meminfoBuffer);
}

std::optional<MemorySample> LinuxPlatform::readMemory(PlatformError *error)
{
    QMutexLocker locker(&m_mutex);
    QString message;
    if (!readProcFile(&m_meminfoFd, "meminfo", &m_meminfoBuffer, &message))
        return readingFailed<MemorySample>(error, PlatformError::Kind::Unreadable, message);
    const MemInfo info = parseMemInfo(m_meminfoBuffer);
    // Page-in and page-out counts are a nicety; a missing /proc/vmstat leaves them 0.
    VmCounters counters;
    if (readProcFile(&m_vmstatFd, "vmstat", &m_vmstatBuffer, nullptr))
        counters = parseVmCounters(m_vmstatBuffer);
    std::optional<MemorySample> sample = sampleFromMemInfo(info, counters, m_pageSize, &message);
    if (!sample)
        return readingFailed<MemorySample>(error, PlatformError::Kind::MissingField, message);
    // Pressure and compressed swap are optional: a kernel or container without them leaves
    // the figures empty.
    if (readProcFile(&m_pressureFd, "pressure/memory", &m_pressureBuffer, nullptr))
        sample->pressure = parsePressure(m_pressureBuffer);
    sample->zram = readZramDevices(m_sysRoot);
    return sample;
}

// -- process monitor --

std::optional<QList<ProcessRow>> LinuxPlatform::readProcesses(PlatformError *error)
{
    QMutexLocker locker(&m_processesMutex);
    if (!m_processes)
        m_processes = std::make_unique<ProcProcesses>(m_procRoot, m_pageSize);
    QString message;
    std::optional<QList<ProcessRow>> rows = m_processes->read(&message);
    if (!rows)
        return readingFailed<QList<ProcessRow>>(error, PlatformError::Kind::Unreadable, message);
    return rows;
}

ProcessActionResult LinuxPlatform::quitProcess(const QString &pidText)
{
    const QString text = pidTextForAction(pidText);
    const std::optional<qint64> pid = validatedPid(text, qint64(::getpid()));
    if (!pid)
        return processActionResult(ProcessActionStatus::InvalidPid,
                                   PlatformText::tr("'%1' is not a process Kalvoren may quit.")
                                           .arg(text));
    // Only the user's own processes, refused as Force Quit refuses them: signal 0 says whether
    // the process is there and ours to signal (EPERM otherwise), and the owner check keeps a
    // program run as root from closing other users' windows. Both before any window is asked.
    if (::kill(pid_t(*pid), 0) != 0)
        return resultFromErrno(errno, *pid);
    if (processOwner(m_procRoot, *pid) != ::getuid())
        return resultFromErrno(EPERM, *pid);
    if (!m_windowCloser)
        return processActionResult(ProcessActionStatus::Unavailable,
                                   PlatformText::tr("Cannot ask process %1 to quit: no window "
                                                    "system is available. Use Force Quit.")
                                           .arg(*pid));
    return m_windowCloser(*pid);
}

ProcessActionResult LinuxPlatform::forceQuitProcess(const QString &pidText)
{
    const QString text = pidTextForAction(pidText);
    const std::optional<qint64> pid = validatedPid(text, qint64(::getpid()));
    if (!pid)
        return processActionResult(ProcessActionStatus::InvalidPid,
                                   PlatformText::tr("'%1' is not a process Kalvoren may end.")
                                           .arg(text));
    if (::kill(pid_t(*pid), SIGTERM) != 0)
        return resultFromErrno(errno, *pid);
    return processActionResult(ProcessActionStatus::Done,
                               PlatformText::tr("Sent process %1 the termination signal.")
                                       .arg(*pid));
}

} // namespace Kalvoren
