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
    void setRow(const Kalvoren::ProcessRow &row) { m_row = row; }

    QString pid() const { return QString::number(m_row.pid); }
    QString command() const { return m_row.command; }

private:
    Kalvoren::ProcessRow m_row;
};
