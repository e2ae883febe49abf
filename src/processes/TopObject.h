#pragma once

#include <QString>

// One row of the process table: the fields of one top line, as top printed them. Rows are
// reused by position from one refresh to the next. Only the main thread touches a row; the
// worker hands its lines over as a snapshot (see TopMonitor).
class TopObject
{
public:
    QString cpu() const { return m_cpu; }
    void setCpu(const QString &value) { m_cpu = value; }
    QString rsize() const { return m_rsize; }
    void setRsize(const QString &value) { m_rsize = value; }
    QString command() const { return m_command; }
    void setCommand(const QString &value) { m_command = value; }
    QString pid() const { return m_pid; }
    void setPid(const QString &value) { m_pid = value; }

private:
    QString m_pid;
    QString m_command;
    QString m_rsize;
    QString m_cpu;
};
