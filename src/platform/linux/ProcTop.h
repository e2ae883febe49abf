#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <vector>

namespace Kalvoren {

// Renders the processes under a /proc tree in top's logging layout: ten summary lines, a blank
// line and the column titles, then "pid rsize cpu command" per process, largest resident size
// first. CPU percentages cover the time since the previous render (0.0 on the first, as top's
// first sample), so one sampler is kept for the life of the monitor. Not thread-safe: the
// owner serialises calls.
class ProcTop
{
public:
    explicit ProcTop(const QString &procRoot, quint64 pageSize);
    ~ProcTop();
    ProcTop(const ProcTop &) = delete;
    ProcTop &operator=(const ProcTop &) = delete;

    // Empty text with error set when the process list cannot be read at all. A process that
    // ends while it is being read is left out.
    QByteArray render(QString *error = nullptr);

    // Bytes of a command name that a process chose itself: control characters become '?', so
    // that no name can start a line of its own in the text.
    static QByteArray printableName(QByteArrayView name);

private:
    struct Process
    {
        quint64 rssBytes = 0;
        int pid = 0;
        double cpu = 0;
        QByteArray command;
    };
    struct Previous
    {
        quint64 startTime = 0;
        quint64 jiffies = 0;
    };
    struct CpuTotals
    {
        quint64 user = 0;
        quint64 system = 0;
        quint64 idle = 0;
        quint64 total() const { return user + system + idle; }
    };

    bool readProcess(int pid, double elapsedJiffies, QHash<int, Previous> *next,
                     Process *process, char state[1], quint64 *threads);
    QByteArray summary(int total, int running, quint64 threads);

    QByteArray m_root;
    int m_rootFd = -1;
    quint64 m_pageSize;
    double m_ticksPerSecond;
    double m_previousUptime = -1;
    CpuTotals m_previousCpu;
    QHash<int, Previous> m_previous;
    std::vector<Process> m_processes; // reused between renders
    QByteArray m_statBuffer;          // /proc/stat, read once per render
    double m_uptime = 0;
};

} // namespace Kalvoren
