#pragma once

#include "platform/ProcessRow.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

namespace Kalvoren {

// Reads the processes under a /proc tree: pid, owner, resident size, CPU share and the name
// the user knows the process by, largest resident size first. CPU percentages cover the time
// since the previous read (0 on the first), so one reader is kept for the life of a monitor.
// Not thread-safe: the owner serialises calls.
class ProcProcesses
{
public:
    explicit ProcProcesses(const QString &procRoot, quint64 pageSize);
    ~ProcProcesses();
    ProcProcesses(const ProcProcesses &) = delete;
    ProcProcesses &operator=(const ProcProcesses &) = delete;

    // Empty with error set when the process list cannot be read at all. A process that ends
    // while it is being read is left out.
    std::optional<QList<ProcessRow>> read(QString *error = nullptr);

    // Bytes of a command name that a process chose itself: control characters become '?', so
    // that no name can start a line of its own in a text.
    static QByteArray printableName(QByteArrayView name);

private:
    struct Previous
    {
        quint64 startTime = 0;
        quint64 jiffies = 0;
    };

    bool readProcess(int pid, double elapsedJiffies, QHash<int, Previous> *next,
                     ProcessRow *row);
    QString userName(qint64 uid);

    QByteArray m_root;
    int m_rootFd = -1;
    quint64 m_pageSize;
    double m_ticksPerSecond;
    double m_previousUptime = -1;
    QHash<int, Previous> m_previous;
    QHash<qint64, QString> m_userNames;
};

} // namespace Kalvoren
