// One process-monitor refresh with 2,000+ processes, against `top -b -n 1` in the same run.
//
//   worker CPU time of one refresh (read every process from /proc)  /  top's CPU time
//   main thread's part, in milliseconds: the model brought up to date (filtered and sorted),
//   and the whole of it in the shown process window (model, then the table's layout and the
//   repaint of its visible rows, on Qt's offscreen platform), for the default order, a sort
//   by command, a filter, and the order held while the pointer is over the table
//
// Starts its own `sleep` processes so that the count is known, and ends exactly those.
// Usage: bench_processes_refresh [PROCESSES] (default 2000)

#include "platform/linux/LinuxPlatform.h"
#include "processes/ProcessWindow.h"
#include "processes/TopMonitor.h"

#include <QApplication>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace Kalvoren;

namespace {

double threadCpuSeconds()
{
    timespec ts {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// CPU time (user + system) of one `top -b -n 1` run, its output thrown away.
double topCpuSeconds()
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    char *const argv[] = { const_cast<char *>("top"), const_cast<char *>("-b"),
                           const_cast<char *>("-n"), const_cast<char *>("1"), nullptr };
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, "top", &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        return -1;
    int status = 0;
    rusage usage {};
    if (wait4(pid, &status, 0, &usage) != pid)
        return -1;
    return double(usage.ru_utime.tv_sec) + double(usage.ru_utime.tv_usec) / 1e6
            + double(usage.ru_stime.tv_sec) + double(usage.ru_stime.tv_usec) / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int wanted = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;

    std::vector<pid_t> children;
    char *const sleepArgv[] = { const_cast<char *>("sleep"), const_cast<char *>("600"),
                                nullptr };
    for (int i = 0; i < wanted; ++i) {
        pid_t pid = 0;
        if (posix_spawnp(&pid, "sleep", nullptr, nullptr, sleepArgv, environ) != 0)
            break;
        children.push_back(pid);
    }

    LinuxPlatform platform;
    TopMonitor monitor(&platform);
    ProcessWindow window(&monitor);
    window.show();
    monitor.stop(); // the bench brings the refreshes itself

    struct Setting
    {
        const char *name;
        int column;
        Qt::SortOrder order;
        const char *filter;
        bool frozen;
        std::vector<double> model;
        std::vector<double> window;
    };
    Setting settings[] = {
        { "resident size, largest first", TopMonitor::ResidentSizeColumn, Qt::DescendingOrder,
          "", false, {}, {} },
        { "command A-Z", TopMonitor::CommandColumn, Qt::AscendingOrder, "", false, {}, {} },
        { "filter \"sleep\"", TopMonitor::ResidentSizeColumn, Qt::DescendingOrder, "sleep",
          false, {}, {} },
        { "order held (pointer over)", TopMonitor::ResidentSizeColumn, Qt::DescendingOrder, "",
          true, {}, {} },
    };

    const int runs = 9;
    std::vector<double> worker;
    std::vector<double> top;
    qsizetype rows = 0;
    // One refresh to warm up: the first render has no previous CPU sample.
    monitor.applyLines(*platform.readProcesses());
    for (int i = 0; i < runs; ++i) {
        const double start = threadCpuSeconds();
        const QList<ProcessRow> lines = platform.readProcesses().value_or(QList<ProcessRow>());
        worker.push_back(threadCpuSeconds() - start);
        rows = lines.size();

        for (Setting &setting : settings) {
            monitor.setOrderFrozen(false);
            monitor.setFilterText(QString::fromLatin1(setting.filter));
            monitor.sort(setting.column, setting.order);
            monitor.setOrderFrozen(setting.frozen);
            app.processEvents();

            // CPU time of this thread, not wall time: on a busy machine the wall clock also
            // counts the time other processes had the core.
            const double begin = threadCpuSeconds();
            monitor.applyLines(lines);
            setting.model.push_back((threadCpuSeconds() - begin) * 1e3);
            // The table's answer: its layout and the repaint of the visible rows, which the
            // model's signals asked for.
            app.processEvents();
            setting.window.push_back((threadCpuSeconds() - begin) * 1e3);
        }

        top.push_back(topCpuSeconds());
    }

    for (const pid_t pid : children)
        kill(pid, SIGTERM);
    for (const pid_t pid : children)
        waitpid(pid, nullptr, 0);

    const double workerMs = median(worker) * 1e3;
    const double topMs = median(top) * 1e3;
    const double ratio = topMs > 0 ? workerMs / topMs : -1;
    std::printf("processes listed: %lld (started %zu sleep processes)\n",
                static_cast<long long>(rows), children.size());
    std::printf("worker CPU per refresh: %.2f ms (median of %d)\n", workerMs, runs);
    std::printf("top -b -n 1 CPU:        %.2f ms (median of %d)\n", topMs, runs);
    std::printf("ratio worker/top:       %.3f (target <= 0.30)\n", ratio);
    std::printf("main thread CPU per refresh, median of %d; target <= 2 ms for the window "
                "(model update, sort, filter, then the table's layout and repaint):\n", runs);
    std::printf("  %-30s %8s %8s\n", "", "model", "window");
    double worst = 0;
    for (const Setting &setting : settings) {
        const double windowMs = median(setting.window);
        worst = std::max(worst, windowMs);
        std::printf("  %-30s %5.3f ms %5.3f ms\n", setting.name, median(setting.model),
                    windowMs);
    }
    const bool ok = ratio >= 0 && ratio <= 0.30 && worst <= 2.0;
    std::printf("%s\n", ok ? "within targets" : "OUTSIDE TARGETS");
    return ok ? 0 : 1;
}
