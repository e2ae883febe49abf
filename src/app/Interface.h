#pragma once

#include <memory>

class AppController;
class MainWindow;

namespace Kalvoren {

class Platform;

// Everything the desktop program is made of, created and connected in one place.
// Lives as long as the program.
struct Interface
{
    Interface();
    ~Interface();

    std::unique_ptr<AppController> controller;
    std::unique_ptr<MainWindow> mainWindow;
};

// Creates the controllers and windows, connects the outlets and actions, and returns them
// before start-up runs (AppController::awakeFromNib).
std::unique_ptr<Interface> createInterface(std::unique_ptr<Platform> platform);

} // namespace Kalvoren
