// One memory sample end to end (read /proc into the sample, compute the figures, make the five
// texts) against a bare read of /proc/meminfo and /proc/vmstat, in the same run.
// Prints the ratio; the goal is at most 1.15x, with no process started per sample.

#include "platform/linux/LinuxPlatform.h"
#include "stats/MemoryFigures.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace Kalvoren;

namespace {

volatile size_t sink;

void bareRead()
{
    char buffer[16384];
    for (const char *path : { "/proc/meminfo", "/proc/vmstat" }) {
        const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
        ssize_t n;
        while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
            sink = sink + size_t(n);
        ::close(fd);
    }
}

void fullSample(LinuxPlatform &platform)
{
    const std::optional<MemorySample> sample = platform.readMemory();
    const MemoryTexts texts = textsFor(figuresFromSample(*sample));
    sink = sink + size_t(texts.free.size() + texts.total.size());
}

unsigned long long forksSinceBoot()
{
    FILE *f = std::fopen("/proc/stat", "r");
    char line[512];
    unsigned long long n = 0;
    while (f && std::fgets(line, sizeof line, f)) {
        if (std::sscanf(line, "processes %llu", &n) == 1)
            break;
    }
    if (f)
        std::fclose(f);
    return n;
}

template<typename F>
double nsPerCall(int iterations, F f)
{
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < iterations; ++i)
        f();
    return double(timer.nsecsElapsed()) / iterations;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    LinuxPlatform platform;
    const int iterations = 2000;
    const int rounds = 15;

    fullSample(platform); // warm up: open the files
    bareRead();

    std::vector<double> bare, full, ratios;
    const unsigned long long forksBefore = forksSinceBoot();
    for (int r = 0; r < rounds; ++r) {
        const double b = nsPerCall(iterations, bareRead);
        const double s = nsPerCall(iterations, [&] { fullSample(platform); });
        bare.push_back(b);
        full.push_back(s);
        ratios.push_back(s / b);
    }
    const unsigned long long forks = forksSinceBoot() - forksBefore;
    auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    const int samples = iterations * rounds;
    std::printf("bare read of /proc/meminfo + /proc/vmstat: %8.2f us (median of %d rounds)\n",
                median(bare) / 1000, rounds);
    std::printf("one sample end to end:                     %8.2f us\n", median(full) / 1000);
    std::printf("ratio sample / bare read:                  %8.2f x (goal <= 1.15)\n",
                median(ratios));
    std::printf("processes started on the whole machine during %d samples: %llu\n", samples,
                forks);
    return 0;
}
