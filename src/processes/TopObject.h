#pragma once

#include "platform/ProcessRow.h"

#include <QString>

// One row of the process table: one process's figures. Rows are reused by position from one
// refresh to the next. Only the main thread touches a row; the worker hands its rows over as a
// snapshot (see TopMonitor).
class TopObject
{
public:
    const Kalvoren::ProcessRow &row() const { return m_row; }
    void setRow(const Kalvoren::ProcessRow &row)
    {
        m_row = row;
        m_ended = false;
    }

    QString pid() const { return QString::number(m_row.pid); }
    QString command() const { return m_row.command; }

    // A process that ended while the table held its order keeps its row, marked, until the
    // table is sorted again: the rows below it do not move up under the pointer.
    bool ended() const { return m_ended; }
    void setEnded() { m_ended = true; }

private:
    Kalvoren::ProcessRow m_row;
    bool m_ended = false;
};
