#pragma once

#include <QString>
#include <QtGlobal>

namespace Kalvoren {

// One process as the process monitor shows it.
struct ProcessRow
{
    qint64 pid = 0;            // 0 when the source named no usable pid
    quint64 residentBytes = 0; // resident set size
    double cpuPercent = 0;     // of one core, over the time since the previous reading
    QString command;           // the name the user knows it by; kernel threads in brackets
    QString user;              // owner's login name, or the uid as text; empty when unknown
    qint64 uid = -1;           // -1 when unknown
    quint64 startTime = 0;     // clock ticks after boot; with pid, tells a reused pid apart
    bool kernelThread = false;

    friend bool operator==(const ProcessRow &, const ProcessRow &) = default;
};

} // namespace Kalvoren
