#pragma once

#include <memory>

class AppController;
class Benchmark;
class LogWindow;
class Logger;
class MainWindow;
class ProcessWindow;
class TopMonitor;
class QWidget;

namespace Kalvoren {

class MemoryHistory;
class MemorySampler;
class OptimizerController;
class Platform;

// Everything the desktop program is made of, created and connected in one place. Members are
// destroyed in the reverse order of their declaration: the windows first, the workers' owners
// (which cancel and join their threads) next, the platform they read last.
struct Interface
{
    Interface();
    ~Interface();

    std::unique_ptr<Platform> platform;
    std::unique_ptr<MemorySampler> sampler;
    std::unique_ptr<MemoryHistory> history;
    std::unique_ptr<OptimizerController> optimizer;
    std::unique_ptr<TopMonitor> topMonitor;
    std::unique_ptr<Benchmark> benchmark;
    std::unique_ptr<Logger> logger;
    std::unique_ptr<MainWindow> mainWindow;
    std::unique_ptr<AppController> controller;
    std::unique_ptr<LogWindow> logWindow;
    std::unique_ptr<QWidget> benchmarkWindow;
    std::unique_ptr<QWidget> benchmarkHelpWindow;
    std::unique_ptr<ProcessWindow> processWindow;
    std::unique_ptr<QWidget> aboutBox;
};

// Creates the parts and windows and connects them: the sampler's subscribers in the order a
// sample shows its effects (the four texts, the log, the total and the further figures, the
// pie and the charts, the icons), the buttons, the menu and the notices. Start-up
// (AppController::start) is the caller's.
std::unique_ptr<Interface> createInterface(std::unique_ptr<Platform> platform);

} // namespace Kalvoren
