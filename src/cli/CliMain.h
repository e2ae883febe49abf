#pragma once

#include <QString>

namespace Kalvoren {

// The `kalvoren` command: a command-line command when one is asked for, the memory figures on
// standard output when there is no display, and otherwise the desktop program, which it
// becomes by executing kalvoren-desktop in its place (same pid, same arguments). It loads Qt
// Core and Qt D-Bus only, so the commands start without the widget libraries.
int cliMain(int argc, char **argv);

// True when a window can be shown: a display server is named, or Qt was told which
// platform plugin to use (offscreen in tests).
bool hasDisplay();

// The desktop program to run: kalvoren-desktop beside this executable (a build tree), else the
// installed one.
QString desktopProgramPath();

} // namespace Kalvoren
