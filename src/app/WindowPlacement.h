#pragma once

class QWidget;

namespace Kalvoren {

// Opens a window on the screen that holds it (or the primary one) where windowFrame puts it,
// or brings it to the front where it is already open. A window that does not exist yet is
// left alone.
void placeAndShow(QWidget *window);

} // namespace Kalvoren
