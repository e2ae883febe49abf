// One memory sample end to end (read /proc and /sys into the sample, compute the figures, make
// the five texts) against a bare read of the same files in the same run: /proc/meminfo,
// /proc/vmstat, /proc/pressure/memory and each set-up zram device's disksize, mm_stat and
// comp_algorithm (the directory listed as the sample lists it). Goal: at most 2x, with no
// process started per sample. Also against the first two files alone, the figures a vm_stat
// layout needs, and a sample of a /proc that has only those two (goal 1.15x: a machine with
// no zram and no pressure file).

#include "platform/linux/LinuxPlatform.h"
#include "stats/MemoryFigures.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

using namespace Kalvoren;

namespace {

volatile size_t sink;

void readFile(const char *path)
{
    char buffer[16384];
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return;
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
        sink = sink + size_t(n);
    ::close(fd);
}

void bareRead()
{
    readFile("/proc/meminfo");
    readFile("/proc/vmstat");
}

void bareReadOfEverySource()
{
    bareRead();
    readFile("/proc/pressure/memory");
    DIR *block = ::opendir("/sys/block");
    while (const dirent *entry = block ? ::readdir(block) : nullptr) {
        if (std::strncmp(entry->d_name, "zram", 4) != 0)
            continue;
        char path[300];
        for (const char *file : { "disksize", "mm_stat", "comp_algorithm" }) {
            std::snprintf(path, sizeof path, "/sys/block/%s/%s", entry->d_name, file);
            readFile(path);
        }
    }
    if (block)
        ::closedir(block);
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

    // The same sample on a machine with no pressure file and no zram: a /proc of the two live
    // files alone.
    QTemporaryDir twoFiles;
    QFile::link(QStringLiteral("/proc/meminfo"), twoFiles.filePath(QStringLiteral("meminfo")));
    QFile::link(QStringLiteral("/proc/vmstat"), twoFiles.filePath(QStringLiteral("vmstat")));
    LinuxPlatform twoFilePlatform(twoFiles.path());

    fullSample(platform); // warm up: open the files
    fullSample(twoFilePlatform);
    bareRead();

    std::vector<double> bare, bareAll, full, ratios, ratiosAll, ratiosTwo;
    const unsigned long long forksBefore = forksSinceBoot();
    for (int r = 0; r < rounds; ++r) {
        const double b = nsPerCall(iterations, bareRead);
        const double a = nsPerCall(iterations, bareReadOfEverySource);
        const double s = nsPerCall(iterations, [&] { fullSample(platform); });
        bare.push_back(b);
        bareAll.push_back(a);
        full.push_back(s);
        ratios.push_back(s / b);
        ratiosAll.push_back(s / a);
        ratiosTwo.push_back(nsPerCall(iterations, [&] { fullSample(twoFilePlatform); }) / b);
    }
    const unsigned long long forks = forksSinceBoot() - forksBefore;
    auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    const int samples = iterations * rounds;
    const std::optional<MemorySample> sample = platform.readMemory();
    std::printf("sources: pressure %s, %lld zram device(s) set up\n",
                sample && sample->pressure ? "yes" : "no",
                (long long)(sample ? sample->zram.size() : 0));
    std::printf("bare read of /proc/meminfo + /proc/vmstat: %8.2f us (median of %d rounds)\n",
                median(bare) / 1000, rounds);
    std::printf("bare read of every source:                 %8.2f us\n", median(bareAll) / 1000);
    std::printf("one sample end to end:                     %8.2f us\n", median(full) / 1000);
    std::printf("ratio sample / bare read of every source:  %8.2f x (goal <= 2)\n",
                median(ratiosAll));
    std::printf("ratio sample / bare read of the two files: %8.2f x\n", median(ratios));
    std::printf("the same with only those two files:        %8.2f x (goal <= 1.15)\n",
                median(ratiosTwo));
    std::printf("processes started on the whole machine during %d samples: %llu\n", samples,
                forks);
    return 0;
}
