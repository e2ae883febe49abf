#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>

#include <sys/mount.h>
#include <unistd.h>

// A tiny tmpfs of the test's own: write the files that must be there, then fill() it, and
// every later write there fails with ENOSPC, as on a full disk. Mounting needs root:
// ready() is false otherwise, with the reason in why().
class FullDisk
{
public:
    FullDisk()
    {
        if (::geteuid() != 0) {
            m_why = QStringLiteral("mounting a tmpfs needs root");
            return;
        }
        if (::mount("tmpfs", QFile::encodeName(m_dir.path()).constData(), "tmpfs",
                    MS_NOSUID | MS_NODEV, "size=64k")
            != 0) {
            m_why = QStringLiteral("cannot mount a tmpfs: ") + QString::fromLocal8Bit(
                            std::strerror(errno));
            return;
        }
        m_mounted = true;
    }
    ~FullDisk()
    {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
    }
    FullDisk(const FullDisk &) = delete;
    FullDisk &operator=(const FullDisk &) = delete;

    bool ready() const { return m_mounted; }
    QString why() const { return m_why; }
    QString filePath(const QString &name) const { return QDir(m_dir.path()).filePath(name); }

    // Takes every free block; true when the disk is then full.
    bool fill() const
    {
        QFile filler(filePath(QStringLiteral(".filler")));
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return false;
        const QByteArray block(512, 'x');
        while (filler.write(block) == block.size()) {
        }
        return filler.error() != QFileDevice::NoError;
    }

private:
    QTemporaryDir m_dir;
    QString m_why;
    bool m_mounted = false;
};
