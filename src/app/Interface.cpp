#include "Interface.h"

#include "AboutBox.h"
#include "AppController.h"
#include "DesktopNotifier.h"
#include "MainWindow.h"
#include "MenuButton.h"
#include "StatusMenu.h"
#include "benchmark/Benchmark.h"
#include "benchmark/BenchmarkHelpWindow.h"
#include "benchmark/BenchmarkWindow.h"
#include "log/LogWindow.h"
#include "log/Logger.h"
#include "log/LoggerView.h"
#include "log/MemoryHistory.h"
#include "optimizer/OptimizerController.h"
#include "platform/Platform.h"
#include "processes/ProcessWindow.h"
#include "processes/TopMonitor.h"
#include "stats/MemorySampler.h"
#include "views/StatsView.h"

#include <QCheckBox>
#include <QDateTime>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace Kalvoren {

Interface::Interface() = default;
Interface::~Interface() = default;

namespace {

void connectLog(Interface &ui)
{
    LogWindow *w = ui.logWindow.get();
    Logger *logger = ui.logger.get();
    logger->setMyTable(w->table());
    logger->chartView = w->chartView();
    logger->logBufferSize = w->rowLimitField();
    logger->displayDeltasCheckbox = w->deltasCheckBox();
    w->chartView()->setDs(logger);
    QObject::connect(w->startButton(), &QPushButton::clicked, logger, &Logger::resumeLogging);
    QObject::connect(w->stopButton(), &QPushButton::clicked, logger, &Logger::pauseLogging);
    QObject::connect(w->clearButton(), &QPushButton::clicked, logger, &Logger::clearLog);
    QObject::connect(w->deltasCheckBox(), &QCheckBox::clicked, logger,
                     &Logger::followDeltasCheckBox);
    QObject::connect(w, &LogWindow::exportRequested, logger, &Logger::exportRows);
}

void connectBenchmark(Interface &ui)
{
    auto *window = new BenchmarkWindow;
    auto *help = new BenchmarkHelpWindow;
    ui.benchmarkWindow.reset(window);
    ui.benchmarkHelpWindow.reset(help);
    Benchmark *benchmark = ui.benchmark.get();
    benchmark->totalToAllocate = window->totalField();
    benchmark->numOfAllocations = window->countField();
    benchmark->runTestButton = window->runTestButton();
    benchmark->taskInfo = window->taskInfo();
    benchmark->leftInfo = window->leftInfo();
    benchmark->lastTestInfo = window->lastTestInfo();
    benchmark->thisTestInfo = window->thisTestInfo();
    benchmark->benchmarkHelpWindow = help;
    benchmark->myWindow = window;
    benchmark->sampler = ui.sampler.get();
    benchmark->platform = ui.platform.get();
    QObject::connect(window->runTestButton(), &QPushButton::clicked, benchmark,
                     &Benchmark::runTest);
    QObject::connect(window->suggestButton(), &QPushButton::clicked, benchmark,
                     &Benchmark::suggest);
    QObject::connect(window->helpButton(), &QPushButton::clicked, benchmark,
                     &Benchmark::showHelp);
    QObject::connect(help->closeButton(), &QPushButton::clicked, benchmark,
                     &Benchmark::closeHelp);
}

} // namespace

std::unique_ptr<Interface> createInterface(std::unique_ptr<Platform> platform)
{
    auto ui = std::make_unique<Interface>();
    ui->platform = std::move(platform);
    Platform &p = *ui->platform;
    ui->sampler = std::make_unique<MemorySampler>(p);
    ui->history = std::make_unique<MemoryHistory>();
    ui->optimizer = std::make_unique<OptimizerController>(p);
    ui->topMonitor = std::make_unique<TopMonitor>(&p);
    ui->benchmark = std::make_unique<Benchmark>();
    ui->logger = std::make_unique<Logger>();
    ui->mainWindow = std::make_unique<MainWindow>();
    ui->logWindow = std::make_unique<LogWindow>();
    ui->processWindow = std::make_unique<ProcessWindow>(ui->topMonitor.get());
    ui->aboutBox = std::make_unique<AboutBox>(
            AboutBox::tr("Version %1").arg(QStringLiteral(KALVOREN_VERSION)));

    MemorySampler *sampler = ui->sampler.get();
    OptimizerController *optimizer = ui->optimizer.get();
    MainWindow *w = ui->mainWindow.get();
    // The run plans from the figures the window shows, read on the worker after the purge:
    // a timer sample may have come in meanwhile.
    optimizer->setSumSource([sampler] {
        const MemoryFigures f = sampler->latestFigures();
        return optimizerSum(f.Free, f.Inactive);
    });
    w->setOptimizer(optimizer);

    AppController::Parts parts;
    parts.platform = &p;
    parts.sampler = sampler;
    parts.optimizer = optimizer;
    parts.mainWindow = w;
    ui->controller = std::make_unique<AppController>(parts);
    AppController *c = ui->controller.get();

    connectLog(*ui);
    connectBenchmark(*ui);
    c->setWindows(ui->aboutBox.get(), ui->logWindow.get(), ui->benchmarkWindow.get(),
                  ui->processWindow.get());
    c->setBenchmark(ui->benchmark.get());

    // A sample's effects, in this order: the four texts, the log, the total and the further
    // figures, the pie and the two history charts redrawn, the icons on samples 1, 4, 7 ...
    Logger *logger = ui->logger.get();
    LoggerView *chart = ui->logWindow->chartView();
    MemoryHistory *history = ui->history.get();
    chart->setHistory(history);
    w->historyChart()->setHistory(history);
    QObject::connect(sampler, &MemorySampler::sampled, w,
                     [w](const MemorySample &, const MemoryFigures &f) { w->showFigureTexts(f); });
    QObject::connect(sampler, &MemorySampler::sampled, logger,
                     [logger](const MemorySample &, const MemoryFigures &f) {
                         logger->addItem(f);
                     });
    QObject::connect(sampler, &MemorySampler::sampled, w,
                     [w](const MemorySample &s, const MemoryFigures &f) {
                         w->showTotal(f);
                         w->showMoreFigures(s);
                     });
    QObject::connect(sampler, &MemorySampler::sampled, w,
                     [w, chart, history](const MemorySample &s, const MemoryFigures &f) {
                         w->statsView()->setFigures({ f.Free, f.Inactive, f.Active, f.Wired });
                         history->append(s, f, QDateTime::currentMSecsSinceEpoch());
                         chart->update(); // a hidden chart does not paint
                         w->historyChart()->update();
                     });
    QObject::connect(sampler, &MemorySampler::sampled, c, &AppController::sampleTaken);

    // -- the optimize button --
    QObject::connect(w, &MainWindow::optimizeClicked, c, &AppController::optimizePressed);
    QObject::connect(c, &AppController::optimizationRunningChanged, w,
                     &MainWindow::showOptimizationRunning);

    // -- tray and menus --
    c->setStatusMenu(createStatusMenu(c));
    w->menuButton()->setPopupMenu(c->statusMenu());
    c->loadAppIconOption();
    c->loadIconMode();
    c->setNotifier(std::make_unique<DesktopNotifier>());
    c->loadLowMemoryOption();

    // Closing the main window ends the program: the workers are cancelled and joined as the
    // interface goes, and the exit status is 0.
    QObject::connect(w, &MainWindow::closeRequested, qApp, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, c, &AppController::prepareToQuit);
    return ui;
}

} // namespace Kalvoren
