#pragma once

namespace Kalvoren {

// The desktop program: the tray icon and its window, one per session (a second start brings
// the first one's window forward and ends).
int desktopMain(int argc, char **argv);

} // namespace Kalvoren
