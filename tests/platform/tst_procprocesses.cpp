#include "platform/linux/LinuxPlatform.h"
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

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY2(f.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    f.write(bytes);
}

// A /proc/PID/stat line (proc(5)): comm, state, flags, utime, stime, threads, start, rss pages.
QByteArray statLine(int pid, const QByteArray &comm, char state, quint64 flags, quint64 utime,
                    quint64 stime, int threads, quint64 start, quint64 rssPages)
{
    return QByteArray::number(pid) + " (" + comm + ") " + state + " 1 1 1 0 -1 "
            + QByteArray::number(flags) + " 0 0 0 0 " + QByteArray::number(utime) + " "
            + QByteArray::number(stime) + " 0 0 20 -5 " + QByteArray::number(threads) + " 0 "
            + QByteArray::number(start) + " 1000000 " + QByteArray::number(rssPages)
            + " 18446744073709551615 1 1 0 0 0 0 0 0 0 0 0 0 17 0 0 0 0 0 0\n";
}

class FakeProc
{
public:
    FakeProc()
    {
        writeFile(root() + "/uptime", "1000.00 1500.00\n");
    }
    QString root() const { return m_dir.path(); }
    void process(int pid, const QByteArray &stat, const QByteArray &cmdline = QByteArray())
    {
        writeFile(root() + "/" + QString::number(pid) + "/stat", stat);
        writeFile(root() + "/" + QString::number(pid) + "/cmdline", cmdline);
    }
    void uptime(double seconds)
    {
        writeFile(root() + "/uptime", QByteArray::number(seconds, 'f', 2) + " 0.00\n");
    }

private:
    QTemporaryDir m_dir;
};

quint64 pages(quint64 bytes)
{
    return bytes / quint64(sysconf(_SC_PAGESIZE));
}

} // namespace

// The rows of a reading, in order.
QList<ProcessRow> rowsOf(LinuxPlatform &platform)
{
    const std::optional<QList<ProcessRow>> rows = platform.readProcesses();
    return rows.value_or(QList<ProcessRow>());
}

ProcessRow row(qint64 pid, quint64 bytes, double cpu, const char *command, bool kernel = false)
{
    ProcessRow r;
    r.pid = pid;
    r.residentBytes = bytes;
    r.cpuPercent = cpu;
    r.command = QString::fromUtf8(command);
    r.kernelThread = kernel;
    return r;
}

// Only what the test controls: owner and start time come from the machine and the tree.
ProcessRow figuresOf(const ProcessRow &r)
{
    return row(r.pid, r.residentBytes, r.cpuPercent, r.command.toUtf8().constData(),
               r.kernelThread);
}

class TestProcProcesses : public QObject
{
    Q_OBJECT

private slots:
    void readsRowsLargestFirst()
    {
        FakeProc proc;
        proc.process(10, statLine(10, "small", 'S', 0, 1, 1, 1, 5, pages(1 << 20)));
        proc.process(20, statLine(20, "big one", 'R', 0, 1, 1, 4, 5, pages(quint64(3) << 30)));
        proc.process(30, statLine(30, "kworker/0:1", 'I', 0x00200000, 0, 0, 1, 5, 0));
        proc.process(40, statLine(40, "mid", 'S', 0, 1, 1, 1, 5, pages(200 << 20)));
        writeFile(proc.root() + "/self", "not a process directory");
        LinuxPlatform platform(proc.root());
        PlatformError error;
        const std::optional<QList<ProcessRow>> rows = platform.readProcesses(&error);
        QVERIFY2(rows, qPrintable(error.message));
        QCOMPARE(rows->size(), 4);
        QCOMPARE(figuresOf(rows->at(0)), row(20, quint64(3) << 30, 0, "big one"));
        QCOMPARE(figuresOf(rows->at(1)), row(40, 200 << 20, 0, "mid"));
        QCOMPARE(figuresOf(rows->at(2)), row(10, 1 << 20, 0, "small"));
        QCOMPARE(figuresOf(rows->at(3)), row(30, 0, 0, "[kworker/0:1]", true));
        // The tree's directories belong to whoever runs the test.
        QCOMPARE(rows->at(0).uid, qint64(::geteuid()));
        QVERIFY(!rows->at(0).user.isEmpty());
    }

    void cpuCoversTheLastInterval()
    {
        FakeProc proc;
        proc.process(10, statLine(10, "busy", 'R', 0, 1000, 500, 1, 5, 10));
        proc.process(20, statLine(20, "idle", 'S', 0, 7, 7, 1, 5, 20));
        LinuxPlatform platform(proc.root());
        QCOMPARE(rowsOf(platform).at(1).cpuPercent, 0.0);

        // Two seconds later busy used 1.5 s of CPU (150 ticks at 100 Hz is 75 %); a new process
        // that took pid 20 over (another start time) starts from zero.
        const double hz = double(sysconf(_SC_CLK_TCK));
        proc.uptime(1002.0);
        proc.process(10, statLine(10, "busy", 'R', 0, 1000 + quint64(hz), 500 + quint64(hz / 2),
                                  1, 5, 10));
        proc.process(20, statLine(20, "newcomer", 'S', 0, 500, 500, 1, 999, 20));
        const QList<ProcessRow> lines = rowsOf(platform);
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines.at(1).command, QStringLiteral("busy"));
        QCOMPARE(qRound(lines.at(1).cpuPercent * 10), 750);
        QCOMPARE(lines.at(0).cpuPercent, 0.0);
    }

    void commandNamesAsTheUserKnowsThem()
    {
        FakeProc proc;
        // Cut at 15 bytes by the kernel: the file name from cmdline completes it.
        proc.process(10, statLine(10, "gnome-shell-cal", 'S', 0, 0, 0, 1, 5, 50),
                     QByteArray("/usr/libexec/gnome-shell-calendar-server\0--x\0", 45));
        // A process that renamed itself keeps the name it chose.
        proc.process(11, statLine(11, "abcdefghijklmno", 'S', 0, 0, 0, 1, 5, 40),
                     QByteArray("/usr/bin/python3\0x\0", 19));
        // A name with ")" and spaces; one with a newline must not start a line of its own.
        proc.process(12, statLine(12, "a) (b", 'S', 0, 0, 0, 1, 5, 30));
        proc.process(13, statLine(13, "evil\n1 99G 0.0 fake", 'S', 0, 0, 0, 1, 5, 20));
        LinuxPlatform platform(proc.root());
        const QList<ProcessRow> lines = rowsOf(platform);
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines.at(0).command, QStringLiteral("gnome-shell-calendar-server"));
        QCOMPARE(lines.at(1).command, QStringLiteral("abcdefghijklmno"));
        QCOMPARE(lines.at(2).command, QStringLiteral("a) (b"));
        QCOMPARE(lines.at(3).pid, 13);
        QCOMPARE(lines.at(3).command, QStringLiteral("evil?1 99G 0.0 fake"));
    }

    void missingTreeIsAnError()
    {
        LinuxPlatform platform(QStringLiteral("/nonexistent/proc"));
        PlatformError error;
        QVERIFY(!platform.readProcesses(&error));
        QCOMPARE(error.kind, PlatformError::Kind::Unreadable);
        QVERIFY(error.message.contains(QStringLiteral("/nonexistent/proc")));
    }

    void liveSystemListsThisProcess()
    {
        LinuxPlatform platform;
        const QList<ProcessRow> lines = rowsOf(platform);
        QVERIFY(std::any_of(lines.begin(), lines.end(), [&](const ProcessRow &line) {
            return line.pid == ::getpid() && line.command == QStringLiteral("tst_procprocesses")
                    && line.residentBytes > 0;
        }));
        for (qsizetype i = 1; i < lines.size(); ++i)
            QVERIFY(lines.at(i - 1).residentBytes >= lines.at(i).residentBytes);
    }

    void forceQuitEndsARealChildWithSigterm()
    {
        // posix_spawn returns once the child runs sleep: a signal sent before that would hit
        // a copy of this test.
        const pid_t child = spawnSleepChild();
        QVERIFY(child > 0);
        LinuxPlatform platform(QStringLiteral("/proc"), {});
        const ProcessActionResult result = platform.forceQuitProcess(QString::number(child));
        QVERIFY2(result.ok(), qPrintable(result.message));
        QVERIFY(endedBySigterm(child));
        // Now it is gone: the failure is typed, not swallowed.
        QCOMPARE(platform.forceQuitProcess(QString::number(child)).status,
                 ProcessActionStatus::NoSuchProcess);
        QCOMPARE(platform.quitProcess(QString::number(child)).status,
                 ProcessActionStatus::NoSuchProcess);
    }

    void refusesPidsItMustNotSignal()
    {
        LinuxPlatform platform(QStringLiteral("/proc"), {});
        for (const QString &pid : { QString::number(::getpid()), QStringLiteral("0"),
                                    QStringLiteral("1"), QStringLiteral("-1"),
                                    QStringLiteral("12 34"), QStringLiteral("") }) {
            QCOMPARE(platform.forceQuitProcess(pid).status, ProcessActionStatus::InvalidPid);
            QCOMPARE(platform.quitProcess(pid).status, ProcessActionStatus::InvalidPid);
        }
    }

    void anotherUsersProcessIsRefusedBothWays()
    {
        // Not ours: pid 2 (kthreadd, root's) for a user; for root, a child run as nobody.
        qint64 other = 2;
        pid_t child = 0;
        if (::geteuid() == 0) {
            char *const argv[] = { const_cast<char *>("setpriv"),
                                   const_cast<char *>("--reuid=65534"),
                                   const_cast<char *>("--regid=65534"),
                                   const_cast<char *>("--clear-groups"),
                                   const_cast<char *>("sleep"), const_cast<char *>("30"),
                                   nullptr };
            QCOMPARE(::posix_spawnp(&child, "setpriv", nullptr, nullptr, argv, environ), 0);
            other = child;
            QTRY_VERIFY(readAll(QStringLiteral("/proc/%1/status").arg(child))
                                .contains("\nUid:\t65534"));
        }
        bool asked = false;
        LinuxPlatform platform(QStringLiteral("/proc"), [&asked](qint64) {
            asked = true;
            return processActionResult(ProcessActionStatus::Done, QStringLiteral("closed"));
        });
        const ProcessActionResult quit = platform.quitProcess(QString::number(other));
        QCOMPARE(quit.status, ProcessActionStatus::NotPermitted);
        QVERIFY2(!asked, "another user's windows were asked to close");
        if (child) {
            ::kill(child, SIGKILL);
            ::waitpid(child, nullptr, 0);
        } else {
            QCOMPARE(platform.forceQuitProcess(QString::number(other)).message, quit.message);
        }
    }

    void politeQuitUsesTheWindowCloser()
    {
        qint64 asked = 0;
        LinuxPlatform platform(QStringLiteral("/proc"), [&asked](qint64 pid) {
            asked = pid;
            return processActionResult(ProcessActionStatus::NoWindow, QStringLiteral("none"));
        });
        const pid_t parent = ::getppid();
        QCOMPARE(platform.quitProcess(QString::number(parent) + "-").status,
                 ProcessActionStatus::NoWindow);
        QCOMPARE(asked, qint64(parent));
        LinuxPlatform without(QStringLiteral("/proc"), {});
        QCOMPARE(without.quitProcess(QString::number(parent)).status,
                 ProcessActionStatus::Unavailable);
    }
};

QTEST_GUILESS_MAIN(TestProcProcesses)
#include "tst_procprocesses.moc"
