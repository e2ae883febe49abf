#pragma once

namespace Kalvoren {

// The program: the command line when asked for, else the desktop program, or the figures on
// standard output when there is no display to show them on.
int kalvorenMain(int argc, char **argv);

// True when a window can be shown: a display server is named, or Qt was told which
// platform plugin to use (offscreen in tests).
bool hasDisplay();

} // namespace Kalvoren
