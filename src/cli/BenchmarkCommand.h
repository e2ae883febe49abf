#pragma once

#include <QStringList>

namespace Kalvoren {

struct CliContext;

// kalvoren benchmark (--total MB | --suggest) --count N
// kalvoren benchmark --suggest
int runBenchmarkCommand(const QStringList &arguments, const CliContext &context);
QString benchmarkUsage();

// The progress line shown while a test runs in a terminal.
QString benchmarkProgressLine(quint64 size, qint32 left);

} // namespace Kalvoren
