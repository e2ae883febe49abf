// One process-monitor refresh with 500+ processes, against `top -b -n 1` in the same run.
//
//   worker CPU time of one refresh (render the /proc text, parse it)  /  top's CPU time
//   main thread's part (rows brought up to date from the parsed lines), in milliseconds
//
// Starts its own `sleep` processes so that the count is known, and ends exactly those.
// Usage: bench_processes_refresh [PROCESSES] (default 520)

#include "platform/linux/LinuxPlatform.h"
#include "processes/TopMonitor.h"

#include <QCoreApplication>
#include <QElapsedTimer>

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
    QCoreApplication app(argc, argv);
    const int wanted = argc > 1 ? std::max(1, std::atoi(argv[1])) : 520;

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
    const int runs = 9;
    std::vector<double> worker;
    std::vector<double> mainThread;
    std::vector<double> top;
    qsizetype rows = 0;
    // One refresh to warm up: the first render has no previous CPU sample.
    monitor.applyLines(*platform.readProcesses());
    for (int i = 0; i < runs; ++i) {
        const double start = threadCpuSeconds();
        const QList<ProcessRow> lines = platform.readProcesses().value_or(QList<ProcessRow>());
        worker.push_back(threadCpuSeconds() - start);
        rows = lines.size();

        QElapsedTimer wall;
        wall.start();
        monitor.applyLines(lines);
        mainThread.push_back(double(wall.nsecsElapsed()) / 1e6);

        top.push_back(topCpuSeconds());
    }

    for (const pid_t pid : children)
        kill(pid, SIGTERM);
    for (const pid_t pid : children)
        waitpid(pid, nullptr, 0);

    const double workerMs = median(worker) * 1e3;
    const double topMs = median(top) * 1e3;
    const double mainMs = median(mainThread);
    const double ratio = topMs > 0 ? workerMs / topMs : -1;
    std::printf("processes listed: %lld (started %zu sleep processes)\n",
                static_cast<long long>(rows), children.size());
    std::printf("worker CPU per refresh: %.2f ms (median of %d)\n", workerMs, runs);
    std::printf("top -b -n 1 CPU:        %.2f ms (median of %d)\n", topMs, runs);
    std::printf("ratio worker/top:       %.3f (target <= 0.30)\n", ratio);
    std::printf("main thread per refresh: %.3f ms (target <= 2 ms)\n", mainMs);
    const bool ok = ratio >= 0 && ratio <= 0.30 && mainMs <= 2.0;
    std::printf("%s\n", ok ? "within targets" : "OUTSIDE TARGETS");
    return ok ? 0 : 1;
}
