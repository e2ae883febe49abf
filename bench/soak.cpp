// Soak: drives the real desktop program's sampler (the Interface with every controller and
// window, the Linux platform on the live /proc) through many samples back to back, and prints
// the resident memory after the warm-up and at the end. Flat means no sample leaks.
//
//   bench_soak [SAMPLES] [WARMUP]      defaults 100000 and 10000
//
// Exit status 1 when resident memory grew by more than 1 MiB between the two readings.
#include "app/AppController.h"
#include "log/Logger.h"
#include "log/MemoryLogModel.h"
#include "app/Interface.h"
#include "stats/MemorySampler.h"
#include "app/MainWindow.h"
#include "platform/Platform.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>

#include <cstdio>

using namespace Kalvoren;

namespace {

// A line "Name:   12345 kB" of /proc/self/status, in kB; -1 when absent.
qint64 statusKb(const char *name)
{
    QFile file(QStringLiteral("/proc/self/status"));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray prefix = QByteArray(name) + ':';
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const qint64 samples = args.size() > 1 ? args.at(1).toLongLong() : 100000;
    const qint64 warmup = args.size() > 2 ? args.at(2).toLongLong() : 10000;
    if (samples <= 0 || warmup <= 0 || warmup >= samples) {
        std::fprintf(stderr, "usage: bench_soak [SAMPLES] [WARMUP], WARMUP < SAMPLES\n");
        return 2;
    }

    std::unique_ptr<Interface> ui = createInterface(createPlatform());
    ui->mainWindow->show();
    AppController *controller = ui->controller.get();
    MemorySampler *sampler = ui->sampler.get();
    controller->start();
    sampler->stop(); // the ticker below drives the samples

    qint64 taken = 0;
    qint64 rssAtWarmup = 0;
    qint64 hwmAtWarmup = 0;
    qint64 failed = 0;
    QElapsedTimer clock;
    qint64 warmupMs = 0;
    clock.start();
    // Each tick is one timer-driven sample, as the 2-second timer would run it, with the event
    // loop (repaints, posted events) turning between samples.
    QTimer ticker;
    ticker.setInterval(0);
    QObject::connect(sampler, &MemorySampler::sampled, [&] { ++taken; });
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 before = taken;
        sampler->sampleNow();
        if (taken == before)
            ++failed;
        if (taken == warmup && rssAtWarmup == 0) {
            rssAtWarmup = statusKb("VmRSS");
            hwmAtWarmup = statusKb("VmHWM");
            warmupMs = clock.elapsed();
        }
        if (taken >= samples || failed > samples)
            app.exit(0); // not quit(): that closes the windows, and closing ends the program
    });
    ticker.start();
    app.exec();

    const qint64 totalMs = clock.elapsed();
    const qint64 rssAtEnd = statusKb("VmRSS");
    const qint64 growthKb = rssAtEnd - rssAtWarmup;
    std::printf("samples taken:            %lld (failed %lld)\n", (long long)taken,
                (long long)failed);
    std::printf("VmRSS after %6lld:       %lld kB\n", (long long)warmup, (long long)rssAtWarmup);
    std::printf("VmRSS after %6lld:       %lld kB\n", (long long)taken, (long long)rssAtEnd);
    std::printf("growth:                   %lld kB (%.2f bytes per sample)\n", (long long)growthKb,
                double(growthKb) * 1024.0 / double(taken - warmup));
    std::printf("VmHWM warm-up / end:      %lld / %lld kB\n", (long long)hwmAtWarmup,
                (long long)statusKb("VmHWM"));
    std::printf("time:                     %.1f s (%.1f us per sample after warm-up)\n",
                totalMs / 1000.0, double(totalMs - warmupMs) * 1000.0 / double(taken - warmup));
    // The log keeps its row limit however long the program runs.
    const int logRows = ui->logger->model()->rowCount();
    std::printf("memory log rows at the end: %d\n", logRows);
    const bool flat = taken >= samples && growthKb <= 1024;
    std::printf("resident memory flat:     %s\n", flat ? "yes" : "NO");
    return flat ? 0 : 1;
}
