// The sampler's helpers promise to be safe from several threads at once: the pattern cache in
// Kesh, the Linux platform's kept descriptors, and the sampler's figures that workers read
// while the main thread samples. Run under ThreadSanitizer (label "threaded") these also show
// data races that happen not to corrupt anything here.
#include "platform/Platform.h"
#include "platform/linux/LinuxPlatform.h"
#include "platform/commands/Kesh.h"
#include "stats/MemoryFigures.h"
#include "stats/MemorySampler.h"
#include "../support/TestData.h"

#include <QFile>
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
    return QString::fromUtf8(KalvorenTest::testData(QLatin1String(name)));
}

// Hands out two captured vm_stat texts in turn.
class AlternatingPlatform : public Platform
{
public:
    AlternatingPlatform(QString first, QString second) : m_texts { first, second } { }
    QString name() const override { return QStringLiteral("alternating"); }
    double frameworkVersion() const override { return frameworkVersion1038; }
    std::optional<MemorySample> readMemory(PlatformError * = nullptr) override
    {
        return sampleFromVmStat(m_texts[m_next.fetch_add(1) % 2], VmStatPattern::EightGroups);
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
    const std::optional<MemorySample> expected = platform.readMemory();
    QVERIFY(expected && expected->totalBytes > 0);

    std::atomic<int> wrong { 0 };
    runThreads([&](int t) {
        for (int round = 0; round < 200; ++round) {
            if ((round + t) % 3 == 0) {
                if (!platform.readMemInfo().memTotal)
                    ++wrong;
            } else if (platform.readMemory() != expected) {
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

    AlternatingPlatform platform(first, second);
    MemorySampler sampler(platform);

    // Workers read the figures, as the optimizer and the benchmark do; every pair they see
    // must be one a sample stored, never free from one sample and inactive from another.
    std::atomic<bool> stop { false };
    std::atomic<int> torn { 0 };
    std::atomic<long> reads { 0 };
    std::vector<std::thread> workers;
    for (int t = 0; t < 2; ++t) {
        workers.emplace_back([&] {
            while (!stop.load()) {
                const MemoryFigures f = sampler.latestFigures();
                const bool none = f.Free == 0 && f.Inactive == 0;
                const bool fromA = f.Free == a->Free && f.Inactive == a->Inactive;
                const bool fromB = f.Free == b->Free && f.Inactive == b->Inactive;
                if (!none && !fromA && !fromB)
                    ++torn;
                ++reads;
            }
        });
    }
    for (int sample = 0; sample < 2000; ++sample)
        sampler.sampleNow();
    // Let the workers overlap at least a few samples even on a loaded machine.
    while (reads.load() < 1000)
        sampler.sampleNow();
    stop.store(true);
    for (std::thread &worker : workers)
        worker.join();
    QCOMPARE(torn.load(), 0);
}

QTEST_MAIN(TestConcurrentSampling)
#include "tst_concurrentsampling.moc"
