// The sampler's helpers promise to be safe from several threads at once: the pattern cache in
// Kesh, the Linux platform's kept descriptors, and the controller's figures that workers read
// while the main thread samples. Run under ThreadSanitizer (label "threaded") these also show
// data races that happen not to corrupt anything here.
#include "app/AppController.h"
#include "platform/Platform.h"
#include "platform/linux/LinuxPlatform.h"
#include "stats/Kesh.h"
#include "stats/MemoryFigures.h"

#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <thread>
#include <vector>

using namespace Kalvoren;

namespace {

constexpr int threadCount = 4;

QString fixture(const char *name)
{
    QFile file(QStringLiteral(KALVOREN_TEST_DATA "/") + QLatin1String(name));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing fixture %s", name);
    return QString::fromUtf8(file.readAll());
}

// Hands out two captured vm_stat texts in turn.
class AlternatingPlatform : public Platform
{
public:
    AlternatingPlatform(QString first, QString second) : m_texts { first, second } { }
    QString name() const override { return QStringLiteral("alternating"); }
    double frameworkVersion() const override { return frameworkVersion1038; }
    QString vmStatText(QString * = nullptr) override
    {
        return m_texts[m_next.fetch_add(1) % 2];
    }

private:
    QString m_texts[2];
    std::atomic<unsigned> m_next { 0 };
};

template<typename Body>
void runThreads(Body body)
{
    std::vector<std::thread> threads;
    for (int t = 0; t < threadCount; ++t)
        threads.emplace_back(body, t);
    for (std::thread &thread : threads)
        thread.join();
}

} // namespace

class TestConcurrentSampling : public QObject
{
    Q_OBJECT

private slots:
    void patternCacheFromManyThreads();
    void linuxPlatformFromManyThreads();
    void workersReadWholeFiguresWhileSampling();
};

void TestConcurrentSampling::patternCacheFromManyThreads()
{
    const QString text = fixture("vm_stat/facter4-macos-intel-4k.txt");
    // More distinct patterns than the cache keeps, so threads clear it under each other.
    QStringList patterns;
    for (int i = 0; i < 80; ++i)
        patterns.append(QStringLiteral("(?:x{0,%1})Pages free:[ ]+([0-9]+)").arg(i + 1));
    std::atomic<int> wrong { 0 };
    runThreads([&](int t) {
        for (int round = 0; round < 150; ++round) {
            const QString &pattern = patterns.at((round * threadCount + t) % patterns.size());
            if (Kesh::quickMatch(text, pattern) != QLatin1String("1364873"))
                ++wrong;
        }
    });
    QCOMPARE(wrong.load(), 0);
}

void TestConcurrentSampling::linuxPlatformFromManyThreads()
{
    QTemporaryDir root;
    QVERIFY(root.isValid());
    for (const char *name : { "meminfo", "vmstat" }) {
        QVERIFY(QFile::copy(QStringLiteral(KALVOREN_TEST_DATA "/linux/sysstat-root1.")
                                    + QLatin1String(name),
                            root.filePath(QLatin1String(name))));
    }
    LinuxPlatform platform(root.path());
    const QString expected = platform.vmStatText();
    QVERIFY(expected.contains(QLatin1String("Pages speculative:")));

    std::atomic<int> wrong { 0 };
    runThreads([&](int t) {
        for (int round = 0; round < 200; ++round) {
            if ((round + t) % 3 == 0) {
                if (!platform.readMemInfo().memTotal)
                    ++wrong;
            } else if (platform.vmStatText() != expected) {
                ++wrong;
            }
        }
    });
    QCOMPARE(wrong.load(), 0);
}

void TestConcurrentSampling::workersReadWholeFiguresWhileSampling()
{
    const QString first = fixture("vm_stat/facter4-macos-intel-4k.txt");
    const QString second = fixture("vm_stat/ansible-macos-apple-silicon-16k.txt");
    const auto a = figuresFromVmStat(first, VmStatPattern::EightGroups);
    const auto b = figuresFromVmStat(second, VmStatPattern::EightGroups);
    QVERIFY(a && b);
    QVERIFY(a->Free != b->Free && a->Inactive != b->Inactive);

    AppController controller(std::make_unique<AlternatingPlatform>(first, second));
    QLabel freeLabel;
    controller.freeInfo = &freeLabel;

    // Workers read a figure at a time, as the optimizer and the benchmark do, and raise and
    // clear the cancel request; every value they see must be one a sample stored.
    std::atomic<bool> stop { false };
    std::atomic<int> torn { 0 };
    std::atomic<long> reads { 0 };
    std::vector<std::thread> workers;
    for (int t = 0; t < 2; ++t) {
        workers.emplace_back([&] {
            while (!stop.load()) {
                const float free = controller.Free();
                const float inactive = controller.Inactive();
                if (free != 0 && free != a->Free && free != b->Free)
                    ++torn;
                if (inactive != 0 && inactive != a->Inactive && inactive != b->Inactive)
                    ++torn;
                controller.setCancelRequest(!controller.cancelRequest());
                ++reads;
            }
        });
    }
    for (int sample = 0; sample < 2000; ++sample)
        controller.updateMemoryStats();
    // Let the workers overlap at least a few samples even on a loaded machine.
    while (reads.load() < 1000)
        controller.updateMemoryStats();
    stop.store(true);
    for (std::thread &worker : workers)
        worker.join();

    QCOMPARE(torn.load(), 0);
    const bool lastWasFirst = controller.Free() == a->Free;
    QCOMPARE(freeLabel.text(), megabytesText(lastWasFirst ? a->Free : b->Free));
}

QTEST_MAIN(TestConcurrentSampling)
#include "tst_concurrentsampling.moc"
