#pragma once

#include <QMenu>

#include <memory>

class AppController;

namespace Kalvoren {

// Tags of the icon-style items (setData), mono first.
inline constexpr int iconMonoTag = 111;
inline constexpr int iconMonoInvertedTag = 112;
inline constexpr int iconGrayscaleTag = 113;
inline constexpr int iconColorTag = 114;

// The program's menu, shown by the main window's menu button and by the tray icon: a title
// item (item 0), About, the memory log, benchmark and process windows, the icon-style
// submenu, the application-icon option, home page, feedback and Quit. Its actions go to
// controller. The style submenu is named "iconMenu", the application-icon item "appIconAction".
std::unique_ptr<QMenu> createStatusMenu(AppController *controller);

// Titles item 0 of menu "Kalvoren"; done each time the menu opens.
void titleFirstItem(QMenu *menu);

} // namespace Kalvoren
