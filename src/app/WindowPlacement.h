#pragma once

class QWidget;

namespace Kalvoren {

// Centres a window on the screen that holds it (or the primary one) and brings it to the
// front. A window that does not exist yet is left alone.
void centreAndShow(QWidget *window);

} // namespace Kalvoren
