#pragma once

#include <QStringList>

namespace Kalvoren {

struct CliContext;

// kalvoren processes [--json] [--from FILE|-] [--quit PID | --force-quit PID]
int runProcessesCommand(const QStringList &arguments, const CliContext &context);
QString processesUsage();

} // namespace Kalvoren
