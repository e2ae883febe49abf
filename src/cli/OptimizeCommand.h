#pragma once

#include "optimizer/OptimizerRun.h"

#include <QStringList>

namespace Kalvoren {

struct CliContext;

enum class ProgressDisplay {
    Auto,   // a progress bar when the error stream is a terminal
    Always,
    Never,
};

// What tests change about a run from the command line.
struct OptimizeHooks
{
    BlockAllocator allocator = BlockAllocator::system();
    ProgressDisplay progress = ProgressDisplay::Auto;
    // Plain `kalvoren optimize` first asks a running desktop program on the session bus.
    bool askRunningInstance = true;
};

// kalvoren optimize [--here] [--json] [--no-purge] [--pkexec]: one optimization in the
// terminal, or by the running desktop program when it is asked for plainly.
// Ctrl-C cancels between blocks (exit code 130); every block is freed either way.
int runOptimizeCommand(const QStringList &arguments, const CliContext &context);
int runOptimizeCommandWith(const QStringList &arguments, const CliContext &context,
                           const OptimizeHooks &hooks);
QString optimizeUsage();

// One line of the progress display: a bar of width cells, done of total bytes and the speed.
QString progressLine(quint64 done, quint64 total, double bytesPerSecond, int width);

} // namespace Kalvoren
