#include "platform/commands/CommandsPlatform.h"
#include "platform/commands/TopText.h"
#include "../support/SleepChild.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Kalvoren;

namespace {

void writeScript(const QString &path, const QByteArray &body)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("#!/bin/sh\n" + body);
    f.close();
    f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

// The commands platform against stand-in top, ps and osascript scripts: the command lines are
// the ones those tools take, and no pid or process name ever reaches the shell as anything but
// one word.
class TestCommandsProcesses : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString bin() const { return m_dir.path() + QStringLiteral("/bin"); }
    QString log(const char *name) const { return m_dir.path() + QLatin1Char('/') + name; }
    QString osascript() const { return bin() + QStringLiteral("/osascript"); }

    // ps prints its title and one line whose command is name (as ps -c would); only the title
    // for an empty name, as for a pid it does not know.
    void psPrints(const QByteArray &name)
    {
        QFile nameFile(log("ps-name"));
        QVERIFY(nameFile.open(QIODevice::WriteOnly | QIODevice::Truncate));
        nameFile.write(name);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QDir().mkpath(bin());
        const QByteArray dir = QFile::encodeName(m_dir.path());
        writeScript(bin() + "/top", "printf '%s\\n' \"$*\" > '" + dir + "/top-args'\n"
                                    "cat '" KALVOREN_TEST_DATA "/top/macos15-m1pro-l1-n15-o-cpu-"
                                    "stats-pid-command-cpu-mem-threads-state.txt'\n");
        writeScript(bin() + "/ps", "printf '%s\\n' \"$#\" \"$@\" > '" + dir + "/ps-args'\n"
                                   "echo '  PID TTY           TIME CMD'\n"
                                   "name=$(cat '" + dir + "/ps-name')\n"
                                   "[ -n \"$name\" ] && printf '%s %s %s %s\\n' \"$2\" ?? "
                                   "0:00.10 \"$name\"\n"
                                   "exit 0\n");
        writeScript(osascript(), "printf '%s\\n' \"$#\" \"$@\" > '" + dir + "/osa-args'\n"
                                 "exit ${OSA_STATUS:-0}\n");
        qputenv("PATH", QFile::encodeName(bin()) + ":" + qgetenv("PATH"));
    }

    void topRunsTheBsdStyleCommandLine()
    {
        CommandsPlatform platform(1038, osascript());
        const std::optional<QList<ProcessRow>> rows = platform.readProcesses();
        QCOMPARE(readAll(log("top-args")),
                 QByteArray("-l 1 -o rsize -stats pid,rsize,cpu,command\n"));
        QVERIFY(rows);
        QCOMPARE(rows->size(), 15);
    }

    void shellMetacharactersInNamesAreNeverRun_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::newRow("single quotes") << QByteArray("x'; touch MARK; '");
        QTest::newRow("substitution") << QByteArray("$(touch MARK) `touch MARK`");
        QTest::newRow("double quotes") << QByteArray("a\" & touch MARK & \"b");
    }
    void shellMetacharactersInNamesAreNeverRun()
    {
        QFETCH(QByteArray, name);
        const QString marker = log("pwned");
        QFile::remove(marker);
        name.replace("MARK", QFile::encodeName(marker));
        psPrints(name);
        CommandsPlatform platform(1038, osascript());
        const ProcessActionResult result = platform.quitProcess(QStringLiteral("4321"));
        QVERIFY2(result.ok(), qPrintable(result.message));
        QVERIFY2(!QFile::exists(marker), "a process name was run by the shell");
        // ps got the pid as one argument after -c.
        QCOMPARE(readAll(log("ps-args")), QByteArray("2\n-c\n4321\n"));
        // osascript got two arguments: -e and the whole script holding the name.
        QByteArray script = name;
        script.replace("\\", "\\\\").replace("\"", "\\\"");
        QCOMPARE(readAll(log("osa-args")),
                 "2\n-e\ntell application \"" + script + "\" to quit\n");
    }

    void plainNameGivesTheQuitScript()
    {
        psPrints("Safari");
        CommandsPlatform platform(1038, osascript());
        QVERIFY(platform.quitProcess(QStringLiteral("77-")).ok());
        QCOMPARE(readAll(log("ps-args")), QByteArray("2\n-c\n77\n"));
        QCOMPARE(readAll(log("osa-args")), QByteArray("2\n-e\ntell application \"Safari\" to quit\n"));
    }

    void failuresAreReported()
    {
        CommandsPlatform platform(1038, osascript());
        psPrints("Finder");
        qputenv("OSA_STATUS", "1");
        const ProcessActionResult refused = platform.quitProcess(QStringLiteral("55"));
        qunsetenv("OSA_STATUS");
        QCOMPARE(refused.status, ProcessActionStatus::Failed);
        QVERIFY(refused.message.contains(QStringLiteral("Finder")));
        // ps found nothing: only its title line comes back.
        psPrints("");
        QCOMPARE(platform.quitProcess(QStringLiteral("55")).status,
                 ProcessActionStatus::NoSuchProcess);
    }

    void pidsWithMetacharactersAreRefusedBeforeAnyShell()
    {
        const QString marker = log("pwned-pid");
        QFile::remove(log("ps-args"));
        CommandsPlatform platform(1038, osascript());
        const QString evil = QStringLiteral("1; touch ") + marker;
        QCOMPARE(platform.quitProcess(evil).status, ProcessActionStatus::InvalidPid);
        QCOMPARE(platform.forceQuitProcess(evil).status, ProcessActionStatus::InvalidPid);
        QCOMPARE(platform.forceQuitProcess(QStringLiteral("$(touch ") + marker + ")").status,
                 ProcessActionStatus::InvalidPid);
        QVERIFY(!QFile::exists(marker));
        QVERIFY(!QFile::exists(log("ps-args")));
        // "12-3" becomes "12-" under the hyphen rule, which is no pid.
        QCOMPARE(platform.forceQuitProcess(QStringLiteral("12-3")).status,
                 ProcessActionStatus::InvalidPid);
    }

    void forceQuitWithHyphenEndsTheRealProcess()
    {
        // posix_spawn returns once the child runs sleep: a signal sent before that would hit
        // a copy of this test.
        const pid_t child = spawnSleepChild();
        QVERIFY(child > 0);
        CommandsPlatform platform(1038, osascript());
        // "PID-" drops its last character: kill gets the pid itself.
        const ProcessActionResult result = platform.forceQuitProcess(QString::number(child) + "-");
        QVERIFY2(result.ok(), qPrintable(result.message));
        QVERIFY(endedBySigterm(child));
        QCOMPARE(platform.forceQuitProcess(QString::number(child)).status,
                 ProcessActionStatus::Failed);
    }
};

QTEST_GUILESS_MAIN(TestCommandsProcesses)
#include "tst_commandsprocesses.moc"
