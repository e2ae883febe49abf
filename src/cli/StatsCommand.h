#pragma once

#include <QStringList>

namespace Kalvoren {

struct CliContext;

// kalvoren stats [--json | --vm-stat] [--interval SECONDS] [--count N] [--from FILE|-]
int runStatsCommand(const QStringList &arguments, const CliContext &context);
QString statsUsage();

} // namespace Kalvoren
