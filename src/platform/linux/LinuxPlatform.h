#pragma once

#include "platform/Platform.h"
#include "platform/linux/ProcMemInfo.h"

#include <QMutex>
#include <QStringList>

#include <memory>

namespace Kalvoren {

// How the purge helper is started: program empty and skipReason set when it is not.
struct PurgeLaunch
{
    QString program;
    QStringList arguments;
    QString skipReason;
};
// Root runs the helper itself; anyone else through pkexec, and then only the installed
// helper that the polkit action names, or not at all unless elevation asks for pkexec.
PurgeLaunch purgeLaunch(bool isRoot, PurgeElevation elevation, const QString &helper,
                        const QString &installedHelper);
class ProcProcesses;

// Linux: every figure is read in-process from /proc and /sys, no command is started per
// sample. Both roots can point elsewhere, so that tests and `kalvoren stats --root` read a
// saved system instead of the live one.
class LinuxPlatform : public Platform
{
public:
    // closer asks a process's windows to close; the installed default unless given. sysRoot
    // empty: /sys for the live /proc, and no /sys at all for any other /proc root.
    explicit LinuxPlatform(const QString &procRoot = QStringLiteral("/proc"),
                           WindowCloser closer = defaultWindowCloser(),
                           const QString &sysRoot = QString());
    // The system saved under root: root/proc and root/sys.
    static std::unique_ptr<LinuxPlatform> forSystemRoot(const QString &root);
    ~LinuxPlatform() override;

    QString name() const override;
    double frameworkVersion() const override;
    std::optional<MemorySample> readMemory(PlatformError *error = nullptr) override;

    QString procRoot() const { return m_procRoot; }
    QString sysRoot() const { return m_sysRoot; }

    // -- optimizer (LinuxPurge.cpp) --
    // Runs the purge helper: directly when we are root, through pkexec when elevation asks
    // for it, otherwise not at all.
    PurgeResult purge(PurgeElevation elevation) override;
    // MemAvailable against MemTotal, narrowed by the cgroups we run in.
    std::optional<MemoryRoom> memoryRoom() override;
    // The helper to start; by default the one beside the executable (a build tree), else the
    // installed one.
    void setPurgeHelper(const QString &path) { m_purgeHelper = path; }
    QString purgeHelper() const;
    // -- process monitor --
    std::optional<QList<ProcessRow>> readProcesses(PlatformError *error = nullptr) override;
    ProcessActionResult quitProcess(const QString &pidText) override;
    ProcessActionResult forceQuitProcess(const QString &pidText) override;

    // The parsed /proc/meminfo; error set when the file cannot be read.
    MemInfo readMemInfo(QString *error = nullptr);

private:
    // Reads a whole /proc file into buffer through a descriptor kept open between samples
    // (pread at 0 regenerates a seq_file). False with a message when it cannot be read.
    bool readProcFile(int *fd, const char *name, QByteArray *buffer, QString *error);

    QString m_procRoot;
    QString m_sysRoot;
    QMutex m_mutex; // guards the descriptors and buffers below
    int m_meminfoFd = -1;
    int m_vmstatFd = -1;
    int m_pressureFd = -1;
    QByteArray m_meminfoBuffer;
    QByteArray m_vmstatBuffer;
    QByteArray m_pressureBuffer;
    quint64 m_pageSize;
    QString m_purgeHelper;

    // -- process monitor --
    QMutex m_processesMutex; // the reader keeps the previous reading; one read at a time
    std::unique_ptr<ProcProcesses> m_processes;
    WindowCloser m_windowCloser;
};

} // namespace Kalvoren
