#pragma once

#include "platform/ProcessAction.h"

namespace Kalvoren {

// Asks every top-level window of process pid on the X display ($DISPLAY) to close, the way a
// window's close button does. With an EWMH window manager the request goes to the manager
// (_NET_CLOSE_WINDOW for each client in _NET_CLIENT_LIST whose _NET_WM_PID is pid); without one,
// each mapped top-level window of the process that takes part in WM_DELETE_WINDOW gets that
// message itself. NoWindow when the process shows no window, Unavailable without a display.
ProcessActionResult closeWindowsOfProcess(qint64 pid);

} // namespace Kalvoren
