#pragma once
// Helpers shared by the tests of the bus, the notices and the single instance.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace KalvorenTest {

// A session bus of the test's own: a dbus-daemon child that dies with the test, so that no
// call ever reaches the desktop session of whoever runs the tests.
class PrivateBus
{
public:
    ~PrivateBus()
    {
        if (m_daemon.state() != QProcess::NotRunning) {
            m_daemon.kill();
            m_daemon.waitForFinished(5000);
        }
    }

    // Starts the daemon; false with the reason when dbus-daemon is missing or fails.
    bool start(QString *why)
    {
        const QString program = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (program.isEmpty()) {
            *why = QStringLiteral("dbus-daemon is not installed (package dbus)");
            return false;
        }
        m_daemon.start(program, { QStringLiteral("--session"), QStringLiteral("--nofork"),
                                  QStringLiteral("--print-address=1") });
        if (!m_daemon.waitForStarted(10000)) {
            *why = QStringLiteral("dbus-daemon did not start: ") + m_daemon.errorString();
            return false;
        }
        QByteArray line;
        while (!line.contains('\n') && m_daemon.waitForReadyRead(10000))
            line += m_daemon.readAllStandardOutput();
        m_address = QString::fromUtf8(line).trimmed();
        if (m_address.isEmpty()) {
            *why = QStringLiteral("dbus-daemon printed no address: ")
                    + QString::fromLocal8Bit(m_daemon.readAllStandardError());
            return false;
        }
        return true;
    }

    QString address() const { return m_address; }

private:
    QProcess m_daemon;
    QString m_address;
};

// A /proc of the test's own with the memory figures it chooses, in MB, so that a sample (and
// a run, should one start) sees small, known numbers instead of the machine's.
class FakeProc
{
public:
    FakeProc() { setMemory(100, 50, 300); }

    QString root() const { return m_dir.path(); }

    // Rewrites meminfo in place: the platform keeps the file open between samples.
    void setMemory(int freeMb, int inactiveMb, int availableMb)
    {
        const qint64 kb = 1024;
        const QByteArray text = QStringLiteral("MemTotal:        %1 kB\n"
                                               "MemFree:         %2 kB\n"
                                               "MemAvailable:    %3 kB\n"
                                               "Buffers:               0 kB\n"
                                               "Cached:                0 kB\n"
                                               "Active:          %4 kB\n"
                                               "Inactive:        %5 kB\n"
                                               "Inactive(file):  %5 kB\n")
                                        .arg(1024 * kb)
                                        .arg(freeMb * kb)
                                        .arg(availableMb * kb)
                                        .arg(200 * kb)
                                        .arg(inactiveMb * kb)
                                        .toLatin1();
        write(QStringLiteral("meminfo"), text);
        write(QStringLiteral("vmstat"), "pgpgin 1000\npgpgout 2000\n");
    }

private:
    void write(const QString &name, const QByteArray &text)
    {
        QFile file(QDir(m_dir.path()).filePath(name));
        if (file.open(QIODevice::ReadWrite)) {
            file.resize(0);
            file.write(text);
        }
    }

    QTemporaryDir m_dir;
};

} // namespace KalvorenTest
