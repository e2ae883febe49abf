#pragma once

#include <QIcon>

namespace Kalvoren {

// Kalvoren's own icon: "kalvoren" from the icon theme, which the package installs in every
// hicolor size, and the SVG compiled into the program where no theme has it (a build tree,
// an install under another prefix).
QIcon applicationIcon();

} // namespace Kalvoren
