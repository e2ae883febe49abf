#include "LinuxPlatform.h"

#include "platform/linux/CgroupMemory.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <csignal>

#include <unistd.h>

namespace Kalvoren {
namespace {

constexpr const char *helperName = "kalvoren-purge";
// sync() on a machine with much dirty data, and compaction, can take a while.
constexpr int helperTimeoutMs = 5 * 60 * 1000;

QString installedHelper()
{
    return QStringLiteral(KALVOREN_INSTALL_LIBEXECDIR "/") + QLatin1String(helperName);
}

PurgeResult runHelper(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(program, arguments);
    if (!process.waitForStarted(-1))
        return { PurgeOutcome::Failed,
                 QStringLiteral("purge: cannot start %1: %2").arg(program, process.errorString()) };
    if (!process.waitForFinished(helperTimeoutMs)) {
        process.kill();
        process.waitForFinished(-1);
        return { PurgeOutcome::Failed, QStringLiteral("purge: %1 did not finish").arg(program) };
    }
    const QString errorText = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
    const QString detail = errorText.isEmpty() ? QString() : QLatin1String(": ") + errorText;
    if (process.exitStatus() != QProcess::NormalExit) {
        // Qt gives the signal's number as the exit code of a crash. Ctrl-C in the terminal
        // reaches the helper too (it shares the terminal's process group): that is the user
        // cancelling, not a failure, and SIGINT's number 2 is not the helper's usage error.
        const int signal = process.exitCode();
        if (signal == SIGINT || signal == SIGTERM)
            return { PurgeOutcome::Skipped,
                     QStringLiteral("purge cancelled: %1 was interrupted").arg(program) };
        return { PurgeOutcome::Failed,
                 QStringLiteral("purge: %1 ended by signal %2%3")
                         .arg(program, QString::number(signal), detail) };
    }
    if (process.exitCode() != 0) {
        return { PurgeOutcome::Failed,
                 QStringLiteral("purge: %1 failed (exit code %2)%3")
                         .arg(program, QString::number(process.exitCode()), detail) };
    }
    return { PurgeOutcome::Done, QString() };
}

} // namespace

QString LinuxPlatform::purgeHelper() const
{
    if (!m_purgeHelper.isEmpty())
        return m_purgeHelper;
    if (QCoreApplication::instance()) {
        const QString beside = QCoreApplication::applicationDirPath() + QLatin1Char('/')
                + QLatin1String(helperName);
        if (QFileInfo(beside).isExecutable())
            return beside;
    }
    return installedHelper();
}

PurgeLaunch purgeLaunch(bool isRoot, PurgeElevation elevation, const QString &helper,
                        const QString &installedHelper)
{
    // Compaction frees nothing and, right after gigabytes of page cache were dropped, takes
    // seconds; the kernel compacts by itself where it needs to.
    const QString noCompact = QStringLiteral("--no-compact");
    if (isRoot)
        return { helper, { noCompact }, QString() };
    if (elevation != PurgeElevation::Pkexec) {
        return { QString(), {},
                 QStringLiteral("Purge skipped: dropping the page cache needs root. Run as root, "
                                "or set purgeWithPkexec=true in ~/.config/Kalvoren/Kalvoren.conf "
                                "(or pass --pkexec) to ask for it through pkexec.") };
    }
    return { QStringLiteral("pkexec"), { installedHelper, noCompact }, QString() };
}

PurgeResult LinuxPlatform::purge(PurgeElevation elevation)
{
    const PurgeLaunch launch =
            purgeLaunch(::geteuid() == 0, elevation, purgeHelper(), installedHelper());
    if (launch.program.isEmpty())
        return { PurgeOutcome::Skipped, launch.skipReason };
    const QString program = QStandardPaths::findExecutable(launch.program);
    if (program.isEmpty() || !QFileInfo(program).isExecutable())
        return { PurgeOutcome::Failed,
                 QStringLiteral("purge: %1 is missing").arg(launch.program) };
    return runHelper(program, launch.arguments);
}

std::optional<MemoryRoom> LinuxPlatform::memoryRoom()
{
    QString error;
    const MemInfo info = readMemInfo(&error);
    return memoryRoomFrom(info, readCgroupLevels(m_procRoot));
}

} // namespace Kalvoren
