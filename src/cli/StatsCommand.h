#pragma once

#include <QStringList>

namespace Kalvoren {

struct CliContext;

// kalvoren stats [--json] [--interval SECONDS] [--count N] [--from FILE|-]
int runStatsCommand(const QStringList &arguments, const CliContext &context);
QString statsUsage();

// Makes vm_stat text pasted from anywhere matchable: drops a byte-order mark and turns
// no-break spaces (web pages pad with them) into plain spaces.
QString normalizeVmStatText(QString text);

} // namespace Kalvoren
