#include "CommandsPlatform.h"

#include "platform/PlatformText.h"

#include "Kesh.h"
#include "TopText.h"
#include "VmStatText.h"
#include "platform/linux/CgroupMemory.h"

#include <QDebug>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace Kalvoren {

CommandsPlatform::CommandsPlatform(double frameworkVersion, const QString &osascript,
                                   const QString &procRoot)
    : m_frameworkVersion(frameworkVersion)
    , m_osascript(osascript)
    , m_procRoot(procRoot)
{
}

QString CommandsPlatform::name() const
{
    return QStringLiteral("commands");
}

double CommandsPlatform::frameworkVersion() const
{
    return m_frameworkVersion;
}

std::optional<MemorySample> CommandsPlatform::readMemory(PlatformError *error)
{
    const QString text = Kesh::shellcmd(QStringLiteral("vm_stat"));
    if (text.isEmpty())
        return readingFailed<MemorySample>(error, PlatformError::Kind::Unreadable,
                                           PlatformText::tr("vm_stat printed nothing"));
    std::optional<MemorySample> sample =
            sampleFromVmStat(text, patternForFrameworkVersion(m_frameworkVersion));
    if (!sample)
        return readingFailed<MemorySample>(error, PlatformError::Kind::UnexpectedText,
                                           PlatformText::tr("vm_stat printed no memory figures "
                                                            "in the expected layout"));
    return sample;
}

// -- optimizer --

PurgeResult CommandsPlatform::purge(PurgeElevation elevation)
{
    Q_UNUSED(elevation); // purge asks for what it needs by itself
    Kesh::shellcmd(QStringLiteral("purge"));
    return { PurgeOutcome::Done, QString() };
}

std::optional<MemoryRoom> CommandsPlatform::memoryRoom()
{
    return readMemoryRoom(m_procRoot);
}

// -- process monitor --

namespace {

// The pid text a quit action acts on, or the result that stops it: the row's text after the
// "-" rule, refused unless it is a plain pid other than 0, 1 and our own.
std::optional<QString> actionPid(const QString &pidText, ProcessActionResult *refusal)
{
    const QString text = pidTextForAction(pidText);
    if (!validatedPid(text, qint64(::getpid()))) {
        *refusal = processActionResult(ProcessActionStatus::InvalidPid,
                                       PlatformText::tr("'%1' is not a process Kalvoren may "
                                                        "act on.").arg(text));
        return std::nullopt;
    }
    return text;
}

// system(3) with its status told apart: 0 when the command ran and exited 0.
int runShell(const QString &commandLine)
{
    const int status = std::system(commandLine.toUtf8().constData());
    if (status == -1)
        return -1;
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    return 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
}

// The name between the double quotes of an AppleScript string literal.
QString appleScriptString(QString text)
{
    text.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    text.replace(QLatin1Char('"'), QLatin1String("\\\""));
    return text;
}

} // namespace

std::optional<QList<ProcessRow>> CommandsPlatform::readProcesses(PlatformError *error)
{
    // Straight through popen: the text is bytes and may be long; no per-line chunking.
    FILE *stream = popen("top -l 1 -o rsize -stats pid,rsize,cpu,command", "r");
    if (!stream)
        return readingFailed<QList<ProcessRow>>(error, PlatformError::Kind::Unreadable,
                                                PlatformText::tr("cannot start top"));
    QByteArray text;
    char buffer[4096];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, stream)) > 0)
        text.append(buffer, qsizetype(n));
    pclose(stream);
    if (text.isEmpty())
        return readingFailed<QList<ProcessRow>>(error, PlatformError::Kind::Unreadable,
                                                PlatformText::tr("top printed nothing"));
    return processRowsFromTopText(text);
}

ProcessActionResult CommandsPlatform::quitProcess(const QString &pidText)
{
    ProcessActionResult refusal;
    const std::optional<QString> pid = actionPid(pidText, &refusal);
    if (!pid)
        return refusal;
    const QString output = Kesh::shellcmd(
            QStringLiteral("ps -c %1  | awk '{print $4, $5, $6, $7, $8, $9}' | tail -n 1")
                    .arg(shellQuoted(*pid)));
    qInfo().noquote() << output;
    const QString name = output.trimmed();
    // ps prints its column titles even for a pid it does not know, so the last line is then
    // the title ("CMD", "COMMAND") or nothing at all.
    if (name.isEmpty() || name == QLatin1String("CMD") || name == QLatin1String("COMMAND"))
        return processActionResult(ProcessActionStatus::NoSuchProcess,
                                   PlatformText::tr("Process %1 is no longer running.")
                                           .arg(*pid));
    const QString script = QStringLiteral("tell application \"%1\" to quit")
                                   .arg(appleScriptString(name));
    const int status = runShell(QStringLiteral("%1 -e %2")
                                        .arg(m_osascript, shellQuoted(script)));
    if (status != 0)
        return processActionResult(ProcessActionStatus::Failed,
                                   PlatformText::tr("%1 (process %2) did not accept the "
                                                    "request to quit (osascript status %3).")
                                           .arg(name, *pid, QString::number(status)));
    return processActionResult(ProcessActionStatus::Done,
                               PlatformText::tr("Asked %1 (process %2) to quit.")
                                       .arg(name, *pid));
}

ProcessActionResult CommandsPlatform::forceQuitProcess(const QString &pidText)
{
    ProcessActionResult refusal;
    const std::optional<QString> pid = actionPid(pidText, &refusal);
    if (!pid)
        return refusal;
    const int status = runShell(QStringLiteral("kill %1").arg(shellQuoted(*pid)));
    if (status != 0)
        return processActionResult(ProcessActionStatus::Failed,
                                   PlatformText::tr("kill %1 failed (status %2): the process "
                                                    "has ended or belongs to another user.")
                                           .arg(*pid).arg(status));
    return processActionResult(ProcessActionStatus::Done,
                               PlatformText::tr("Sent process %1 the termination signal.")
                                       .arg(*pid));
}

} // namespace Kalvoren
