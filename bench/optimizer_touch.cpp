// Touch rate of an optimizer run against a bare malloc-and-touch loop of the same plan, in the
// same process, alternating, and the same two with transparent huge pages asked for
// (MADV_HUGEPAGE). Prints GB/s of wall time and of CPU time (all threads: a run touches large
// blocks on two), the ratios, and what each way makes the kernel back and give back. Total per
// pass: 20 blocks of 64 MiB (1.25 GiB), freed before the next pass.
//
//   bench_optimizer_touch [rounds]   (default 5; KALVOREN_BENCH_VERBOSE=1 for each round,
//   KALVOREN_BENCH_NO_ROOM=1 to leave out the budget look-ups)
#include "optimizer/OptimizerRun.h"
#include "platform/linux/LinuxPlatform.h"

#include <QCoreApplication>

#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace Kalvoren;

namespace {

constexpr quint64 mib = 1024 * 1024;
constexpr int blocks = 20;
constexpr quint64 blockSize = 64 * mib;
constexpr quint64 hugePage = 2 * mib;

struct Pass
{
    double seconds = 0;
    double cpuSeconds = 0; // user and system time of the whole process
    quint64 anonHugeKb = 0; // AnonHugePages while the blocks were held
    qint64 freeDropKb = 0;  // how much MemFree fell while they were held
};

quint64 meminfoKb(const char *field)
{
    FILE *file = std::fopen("/proc/meminfo", "r");
    if (!file)
        return 0;
    char name[64];
    unsigned long long value = 0;
    quint64 found = 0;
    while (std::fscanf(file, "%63s %llu kB\n", name, &value) == 2) {
        if (std::strncmp(name, field, std::strlen(field)) == 0 && name[std::strlen(field)] == ':')
            found = value;
    }
    std::fclose(file);
    return found;
}

void *allocate(std::size_t size, bool huge)
{
    if (!huge)
        return std::malloc(size);
    // Aligned so that every 2 MiB of the block can be one huge page.
    void *block = std::aligned_alloc(hugePage, size);
    if (block)
        madvise(block, size, MADV_HUGEPAGE);
    return block;
}

BlockAllocator allocatorFor(bool huge)
{
    return { [huge](std::size_t size) { return allocate(size, huge); },
             [](void *block) { std::free(block); } };
}

double cpuNow()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
            + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double now()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
            .count();
}

// The baseline: the same plan written the plainest way.
Pass bareLoop(bool huge)
{
    Pass pass;
    const quint64 freeBefore = meminfoKb("MemFree");
    const double cpuStart = cpuNow();
    const double start = now();
    void *held[blocks] = {};
    for (void *&block : held) {
        block = allocate(blockSize, huge);
        auto *bytes = static_cast<volatile char *>(block);
        for (quint64 offset = 0; offset < blockSize; offset += 4096)
            bytes[offset] = 1;
    }
    const double measuring = now();
    pass.anonHugeKb = meminfoKb("AnonHugePages");
    pass.freeDropKb = qint64(freeBefore) - qint64(meminfoKb("MemFree"));
    const double measured = now() - measuring;
    for (void *block : held)
        std::free(block);
    // A run frees its blocks before it returns, so the baseline's clock runs through that too.
    pass.seconds = now() - start - measured;
    pass.cpuSeconds = cpuNow() - cpuStart;
    return pass;
}

// The real run: plan, live budget read from /proc and the cgroups before every block, the
// progress counter, cancel checks.
Pass optimizerRun(bool huge, LinuxPlatform &platform)
{
    Pass pass;
    const quint64 freeBefore = meminfoKb("MemFree");
    OptimizerEnvironment environment;
    // Row 949: twenty blocks of S / 20.
    environment.frameworkVersion = 949;
    environment.sum = [] { return quint64(blocks) * blockSize; };
    if (!qEnvironmentVariableIsSet("KALVOREN_BENCH_NO_ROOM"))
        environment.room = [&platform] {
            // The budget look-ups cost what they cost, but the blocks stay the row's: this
            // measures touching, not how far the page cache lets a run go.
            std::optional<MemoryRoom> room = platform.memoryRoom();
            if (room)
                room->reclaim.reset();
            return room;
        };
    BlockAllocator inner = allocatorFor(huge);
    environment.allocator = { inner.allocate, [&pass, freeBefore, inner](void *block) {
                                 // Measured once, while all blocks are still held.
                                 if (pass.anonHugeKb == 0 && pass.freeDropKb == 0) {
                                     pass.anonHugeKb = meminfoKb("AnonHugePages") + 1;
                                     pass.freeDropKb = qint64(freeBefore)
                                             - qint64(meminfoKb("MemFree"));
                                 }
                                 inner.release(block);
                             } };
    std::atomic<bool> cancel { false };
    std::atomic<quint64> touched { 0 };
    const double cpuStart = cpuNow();
    const double start = now();
    double touchedAt = 0;
    environment.planned = [&](const OptimizerResult &) { touchedAt = now(); };
    const OptimizerResult result = runOptimizer(environment, cancel, touched);
    pass.seconds = now() - start;
    pass.cpuSeconds = cpuNow() - cpuStart;
    Q_UNUSED(touchedAt);
    if (result.blocksTaken != blocks)
        std::fprintf(stderr, "warning: the run took %d blocks (budget)\n", result.blocksTaken);
    pass.anonHugeKb = pass.anonHugeKb > 0 ? pass.anonHugeKb - 1 : 0;
    return pass;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    LinuxPlatform platform;
    const double gb = double(blocks) * double(blockSize) / 1e9;

    std::vector<double> bare[2], run[2], bareCpu[2], runCpu[2];
    Pass lastBare[2], lastRun[2];
    for (int round = 0; round < rounds; ++round) {
        for (int huge = 0; huge < 2; ++huge) {
            // Alternate the order so neither way always follows the other.
            if (round % 2 == 0) {
                lastBare[huge] = bareLoop(huge);
                lastRun[huge] = optimizerRun(huge, platform);
            } else {
                lastRun[huge] = optimizerRun(huge, platform);
                lastBare[huge] = bareLoop(huge);
            }
            bare[huge].push_back(gb / lastBare[huge].seconds);
            run[huge].push_back(gb / lastRun[huge].seconds);
            bareCpu[huge].push_back(gb / lastBare[huge].cpuSeconds);
            runCpu[huge].push_back(gb / lastRun[huge].cpuSeconds);
        }
    }
    if (qEnvironmentVariableIsSet("KALVOREN_BENCH_VERBOSE")) {
        for (int huge = 0; huge < 2; ++huge) {
            for (int round = 0; round < rounds; ++round)
                std::printf("huge=%d round %d: bare %.2f run %.2f GB/s\n", huge, round,
                            bare[huge][round], run[huge][round]);
        }
    }
    std::printf("optimizer_touch: %d rounds, %d blocks of %llu MiB (%.2f GB) per pass\n", rounds,
                blocks, (unsigned long long)(blockSize / mib), gb);
    for (int huge = 0; huge < 2; ++huge) {
        const char *label = huge ? "MADV_HUGEPAGE" : "4 KiB pages  ";
        const double b = median(bare[huge]);
        const double r = median(run[huge]);
        const double bc = median(bareCpu[huge]);
        const double rc = median(runCpu[huge]);
        std::printf("%s bare loop %6.2f GB/s (CPU %6.2f)  run %6.2f GB/s (CPU %6.2f)  "
                    "run/bare %.3f (CPU %.3f)   held: AnonHugePages %6llu MiB, "
                    "MemFree fell %6lld MiB\n",
                    label, b, bc, r, rc, r / b, rc / bc,
                    (unsigned long long)(lastRun[huge].anonHugeKb / 1024),
                    (long long)(lastRun[huge].freeDropKb / 1024));
    }
    std::printf("huge pages / 4 KiB pages (run): %.3f (CPU %.3f)\n",
                median(run[1]) / median(run[0]), median(runCpu[1]) / median(runCpu[0]));
    return 0;
}
