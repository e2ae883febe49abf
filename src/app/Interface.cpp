#include "Interface.h"

#include "AppController.h"
#include "AboutBox.h"
#include "MainWindow.h"
#include "optimizer/OptimizationNotice.h"
#include "MenuButton.h"
#include "StatusMenu.h"
#include "views/StatsView.h"
#include "benchmark/Benchmark.h"
#include "benchmark/BenchmarkHelpWindow.h"
#include "benchmark/BenchmarkWindow.h"
#include "log/LogWindow.h"
#include "log/Logger.h"
#include "log/LoggerView.h"
#include "platform/Platform.h"
#include "processes/ProcessWindow.h"
#include "processes/TopMonitor.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include <cstdio>
#include <cstdlib>

namespace Kalvoren {

Interface::Interface() = default;
Interface::~Interface() = default;

std::unique_ptr<Interface> createInterface(std::unique_ptr<Platform> platform)
{
    auto ui = std::make_unique<Interface>();
    ui->controller = std::make_unique<AppController>(std::move(platform));
    ui->mainWindow = std::make_unique<MainWindow>();

    AppController *c = ui->controller.get();
    MainWindow *w = ui->mainWindow.get();
    c->mainWindow = w;
    c->statsView = w->statsView();
    c->theMainButton = w->mainButton();
    c->setProgress(w->progress());
    c->freeInfo = w->freeInfo();
    c->inactiveInfo = w->inactiveInfo();
    c->wiredInfo = w->wiredInfo();
    c->activeInfo = w->activeInfo();
    c->ramView = w->ramView();
    QObject::connect(w->mainButton(), &QPushButton::clicked, c, [c] { c->goButton(); });

    // -- tray and menus --
    w->statsView()->setController(c);
    c->setStatusMenu(createStatusMenu(c));
    c->setAboutWindow(std::make_unique<AboutBox>(c->verStr()));
    w->menuButton()->setPopupMenu(c->statusMenu());
    c->loadAppIconOption();
    c->loadIconMode();

    // -- memory log --
    auto *logWindow = new LogWindow;
    auto *logger = new Logger(c);
    logger->setMyTable(logWindow->table());
    logger->chartView = logWindow->chartView();
    logger->logBufferSize = logWindow->rowLimitField();
    logger->displayDeltasCheckbox = logWindow->deltasCheckBox();
    logWindow->chartView()->setDs(logger);
    c->logger = logger;
    c->loggerView = logWindow->chartView();
    c->loggerWindow = logWindow;
    QObject::connect(logWindow->startButton(), &QPushButton::clicked, logger,
                     [logger] { logger->goButton(); });
    QObject::connect(logWindow->stopButton(), &QPushButton::clicked, logger,
                     [logger] { logger->stopButton(); });
    QObject::connect(logWindow->clearButton(), &QPushButton::clicked, logger,
                     [logger] { logger->clearButton(); });
    QObject::connect(logWindow->deltasCheckBox(), &QCheckBox::clicked, logger,
                     [logger] { logger->displayDeltasButton(); });
    QObject::connect(logWindow, &LogWindow::exportRequested, logger,
                     [logger] { logger->exportRows(); });
    // The window lives as long as the controller.
    QObject::connect(c, &QObject::destroyed, logWindow, [logWindow] { delete logWindow; });

    // -- benchmark --
    auto *benchmarkWindow = new BenchmarkWindow;
    auto *benchmarkHelp = new BenchmarkHelpWindow;
    auto *benchmark = new Benchmark(c);
    benchmark->totalToAllocate = benchmarkWindow->totalField();
    benchmark->numOfAllocations = benchmarkWindow->countField();
    benchmark->runTestButton = benchmarkWindow->runTestButton();
    benchmark->taskInfo = benchmarkWindow->taskInfo();
    benchmark->leftInfo = benchmarkWindow->leftInfo();
    benchmark->lastTestInfo = benchmarkWindow->lastTestInfo();
    benchmark->thisTestInfo = benchmarkWindow->thisTestInfo();
    benchmark->benchmarkHelpWindow = benchmarkHelp;
    benchmark->myWindow = benchmarkWindow;
    benchmark->app = c;
    benchmark->awakeFromNib();
    c->benchmarkObject = benchmark;
    c->benchmarkWindow = benchmarkWindow;
    QObject::connect(benchmarkWindow->runTestButton(), &QPushButton::clicked, benchmark,
                     [benchmark] { benchmark->runTest(); });
    QObject::connect(benchmarkWindow->suggestButton(), &QPushButton::clicked, benchmark,
                     [benchmark] { benchmark->suggest(); });
    QObject::connect(benchmarkWindow->helpButton(), &QPushButton::clicked, benchmark,
                     [benchmark] { benchmark->onShowBechmarkHelp(); });
    QObject::connect(benchmarkHelp->closeButton(), &QPushButton::clicked, benchmark,
                     [benchmark] { benchmark->onCloseBechmarkHelp(); });
    QObject::connect(c, &QObject::destroyed, benchmarkWindow, [benchmarkWindow, benchmarkHelp] {
        delete benchmarkHelp;
        delete benchmarkWindow;
    });

    // -- process monitor --
    // The monitor belongs to the main window, which goes before the controller and so before
    // the platform the worker reads; the process window goes with the monitor.
    auto *topMonitor = new TopMonitor(&c->platform(), w);
    auto *processWindow = new ProcessWindow(topMonitor);
    c->processWindow = processWindow;
    QObject::connect(topMonitor, &QObject::destroyed, [processWindow] { delete processWindow; });

    // -- optimizer and notices --
    // The notices are children of the main window, so they go with it; they stay separate
    // windows of their own.
    auto *before = new OptimizationNotice(QObject::tr("Optimize Memory"), noticeBeforeRunText(),
                                          QObject::tr("Do not show this notice again"), w);
    before->setObjectName(QStringLiteral("OptiInfo1"));
    before->checkBox()->setObjectName(QStringLiteral("OptiInfo1ChkBox"));
    c->OptiInfo1 = before;
    c->OptiInfo1ChkBox = before->checkBox();
    QObject::connect(before->okButton(), &QPushButton::clicked, c, [c] { c->optiInfoOkBtn1(); });
    auto *after = new OptimizationNotice(QObject::tr("Memory Optimized"), noticeAfterRunText(),
                                         QObject::tr("Do not show this after an optimization"), w);
    after->setObjectName(QStringLiteral("OptiInfo2"));
    after->checkBox()->setObjectName(QStringLiteral("OptiInfo2ChkBox"));
    c->OptiInfo2 = after;
    c->OptiInfo2ChkBox = after->checkBox();
    c->OptiInfo2Text = after->textLabel();
    QObject::connect(after->okButton(), &QPushButton::clicked, c, [c] { c->optiInfoOkBtn2(); });

    // Closing the main window ends the program at once with status 0.
    QObject::connect(w, &MainWindow::closeRequested, [] {
        std::fflush(nullptr);
        std::exit(0);
    });
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, c,
                     [c] { c->applicationShouldTerminate(); });
    return ui;
}

} // namespace Kalvoren
