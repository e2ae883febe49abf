#pragma once

#include "platform/Platform.h"
#include "platform/linux/ProcMemInfo.h"

#include <QMutex>

namespace Kalvoren {

// Linux: every figure is read in-process from /proc, no command is started per sample.
// The /proc root can point elsewhere so that tests read fixtures instead of the live system.
class LinuxPlatform : public Platform
{
public:
    explicit LinuxPlatform(const QString &procRoot = QStringLiteral("/proc"));
    ~LinuxPlatform() override;

    QString name() const override;
    double frameworkVersion() const override;
    QString vmStatText(QString *error = nullptr) override;

    QString procRoot() const { return m_procRoot; }

    // The parsed /proc/meminfo; error set when the file cannot be read.
    MemInfo readMemInfo(QString *error = nullptr);

private:
    // Reads a whole /proc file into buffer through a descriptor kept open between samples
    // (pread at 0 regenerates a seq_file). False with a message when it cannot be read.
    bool readProcFile(int *fd, const char *name, QByteArray *buffer, QString *error);

    QString m_procRoot;
    QMutex m_mutex; // guards the descriptors and buffers below
    int m_meminfoFd = -1;
    int m_vmstatFd = -1;
    QByteArray m_meminfoBuffer;
    QByteArray m_vmstatBuffer;
    quint64 m_pageSize;
};

} // namespace Kalvoren
