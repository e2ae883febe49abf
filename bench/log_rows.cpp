// Memory the log keeps per row: the heap in use before and after logging ROWS samples with a
// limit that keeps them all (sample and delta rows together). Goal: at most 0.2 KiB a row.
//
//   bench_log_rows [ROWS]     (default 100000)
#include "log/MemoryLogModel.h"

#include <QCoreApplication>

#include <malloc.h>

#include <cstdio>
#include <cstdlib>

using namespace Kalvoren;

namespace {

// Heap in use, large blocks that malloc maps on their own included.
size_t heapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int rows = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100000;
    MemoryLogModel model;
    MemoryFigures figures;
    const QDateTime now = QDateTime::currentDateTime();
    model.addItem(figures, rows, now); // the first row: capacities, the comparison values
    const size_t before = heapInUse();
    for (int i = 1; i < rows; ++i) {
        figures.Free = float(i) * 4096.0f;
        figures.Inactive = float(rows - i) * 4096.0f;
        model.addItem(figures, rows, now);
    }
    const size_t after = heapInUse();
    const double perRow = double(after - before) / double(rows - 1);
    std::printf("rows logged:        %d\n", model.rowCount());
    std::printf("heap per row:       %.1f bytes (%.3f KiB; goal <= 0.2 KiB)\n", perRow,
                perRow / 1024.0);
    return perRow <= 0.2 * 1024 ? 0 : 1;
}
