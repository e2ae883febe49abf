#pragma once

#include "platform/ProcessAction.h"

#include <optional>

namespace Kalvoren {

struct CliContext;

// What the command line needs from the desktop session: the session bus (to ask a running
// Kalvoren) and the X display (to ask a process's windows to close). Both live in a module,
// kalvoren-session.so, that is loaded only when a command needs one of them, so that every
// other command starts with Qt Core alone.
namespace Session {

// optimizeInRunningInstance() of the module (InstanceClient.h); empty when the module cannot
// be loaded, so that the run in the terminal follows.
std::optional<int> optimizeInRunningInstance(const CliContext &context);

// closeWindowsOfProcess() of the module (X11WindowCloser.h); Unavailable when the module
// cannot be loaded.
ProcessActionResult closeWindowsOfProcess(qint64 pid);

// kalvoren-session.so beside this executable (a build tree), else the installed one.
QString modulePath();

} // namespace Session
} // namespace Kalvoren
