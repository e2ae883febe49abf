#pragma once

#include <cstdint>

struct xcb_connection_t;

namespace Kalvoren {

// Adds _NET_WM_STATE_SKIP_TASKBAR and _NET_WM_STATE_SKIP_PAGER to the _NET_WM_STATE of a
// window that is not mapped yet, keeping the states already there. EWMH window managers
// read the property when the window is mapped, and Qt merges its own states into it then,
// so a drop-down panel stays out of task bars and pagers. Window managers drop the property
// when a window is withdrawn: call this before every show.
void addSkipTaskbarAndPagerStates(xcb_connection_t *connection, uint32_t window);

} // namespace Kalvoren
