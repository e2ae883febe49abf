#pragma once

#include "platform/Platform.h"

namespace Kalvoren {

// For systems that have the BSD-style vm_stat, purge and top commands, ps, osascript and kill:
// everything goes through the shell with Kesh::shellcmd, with the command lines those tools
// expect. Tests drive it on Linux with stand-in scripts on PATH.
class CommandsPlatform : public Platform
{
public:
    // osascript: the AppleScript runner the polite quit starts (tests pass a stand-in).
    // procRoot: where the memory room is read on a system that has /proc.
    explicit CommandsPlatform(double frameworkVersion = 1038.0,
                              const QString &osascript = QStringLiteral("/usr/bin/osascript"),
                              const QString &procRoot = QStringLiteral("/proc"));

    QString name() const override;
    double frameworkVersion() const override;
    // Runs vm_stat and reads it with the pattern for the framework version.
    std::optional<MemorySample> readMemory(PlatformError *error = nullptr) override;

    // -- optimizer --
    // Runs "purge" through the shell; its output is ignored.
    PurgeResult purge(PurgeElevation elevation) override;
    // What /proc and the cgroups say, wherever they can be read: Linux with these commands
    // on PATH kills rather than pages out, so the budget holds here too. Empty elsewhere.
    std::optional<MemoryRoom> memoryRoom() override;
    // -- process monitor --
    // Runs `top -l 1 -o rsize -stats pid,rsize,cpu,command` and reads its process lines.
    std::optional<QList<ProcessRow>> readProcesses(PlatformError *error = nullptr) override;
    ProcessActionResult quitProcess(const QString &pidText) override;
    ProcessActionResult forceQuitProcess(const QString &pidText) override;

private:
    double m_frameworkVersion;
    QString m_osascript;
    QString m_procRoot;
};

} // namespace Kalvoren
