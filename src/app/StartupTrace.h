#pragma once

#include <QByteArrayView>

#include <optional>


namespace Kalvoren {

class MemorySampler;

// Opt-in start-up timing: with KALVOREN_TRACE_STARTUP=1 in the environment the program prints
// "first figures after N ms (M ms after main)" to standard error once the first sample's texts
// are set. N counts from the process's start (exec and library loading included), M from main.

// Notes the moment main began; call first thing.
void markMainStarted();
// Connects the report to the sampler's first sample; does nothing without the variable.
void traceFirstFigures(MemorySampler *sampler);

// The start time of a process in clock ticks after boot: field 22 of /proc/PID/stat, counted
// after the command name's closing parenthesis (the name may itself hold spaces and
// parentheses). Empty when the text is not such a line.
std::optional<quint64> startTimeTicks(QByteArrayView procStat);

// Milliseconds from a start time in ticks to a moment in nanoseconds after boot. The kernel
// truncates the start to whole ticks, so this errs long by less than one tick.
qint64 millisecondsSince(quint64 startTicks, long ticksPerSecond, qint64 nowBootNs);

} // namespace Kalvoren
