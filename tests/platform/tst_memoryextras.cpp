// The figures beyond the four classes: pressure stall information, zram devices, swap and
// zswap from meminfo, and a saved system read through --root. Missing or broken sources leave
// figures empty, never zero, and never fail the sample.
#include "platform/linux/LinuxPlatform.h"
#include "platform/linux/PressureStall.h"
#include "platform/linux/ZramDevices.h"
#include "../support/TestData.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Kalvoren;

namespace {

QByteArray readData(const QString &name)
{
    return KalvorenTest::testData(QStringLiteral("linux/") + name);
}

using KalvorenTest::writeFile;

const QByteArray capturedPressure = readData(QStringLiteral("kalvoren-ci-6.18.pressure"));
const QByteArray capturedMmStat = readData(QStringLiteral("sys/kalvoren-ci-6.18-lz4.mm_stat"));

} // namespace

class TestMemoryExtras : public QObject
{
    Q_OBJECT

private slots:
    void pressure_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("present");
        QTest::addColumn<bool>("full");
        QTest::addColumn<double>("someAvg10");
        QTest::newRow("captured") << capturedPressure << true << true << 0.54;
        QTest::newRow("no full line") << capturedPressure.left(capturedPressure.indexOf('\n') + 1)
                                      << true << false << 0.54;
        QTest::newRow("fields in another order")
                << QByteArray("some total=5 avg300=0.1 avg60=0.2 avg10=7.25\n") << true << false
                << 7.25;
        QTest::newRow("a field missing")
                << QByteArray("some avg10=1.00 avg60=2.00 total=3\n") << false << false << 0.0;
        QTest::newRow("not a number") << QByteArray("some avg10=x avg60=0 avg300=0 total=0\n")
                                      << false << false << 0.0;
        QTest::newRow("beyond 100 %") << QByteArray("some avg10=250 avg60=0 avg300=0 total=0\n")
                                      << false << false << 0.0;
        QTest::newRow("empty") << QByteArray() << false << false << 0.0;
    }
    void pressure()
    {
        QFETCH(QByteArray, text);
        QFETCH(bool, present);
        QFETCH(bool, full);
        QFETCH(double, someAvg10);
        const std::optional<MemoryPressure> p = parsePressure(text);
        QCOMPARE(p.has_value(), present);
        if (!present)
            return;
        QCOMPARE(p->some.avg10, someAvg10);
        QCOMPARE(p->full.has_value(), full);
    }

    void zramFigures()
    {
        // Nine fields (kernels from 5.x) and the older seven: the first three are the same.
        const ZramMmStat nine = parseZramMmStat(capturedMmStat);
        QCOMPARE(nine.origDataBytes.value_or(0), quint64(5169152));
        QCOMPARE(nine.comprDataBytes.value_or(0), quint64(3337938));
        QCOMPARE(nine.memUsedBytes.value_or(0), quint64(4431872));
        const QList<QByteArray> fields = capturedMmStat.simplified().split(' ');
        const ZramMmStat seven = parseZramMmStat(fields.mid(0, 7).join(' ') + '\n');
        QCOMPARE(seven.origDataBytes, nine.origDataBytes);
        QCOMPARE(seven.memUsedBytes, nine.memUsedBytes);
        QVERIFY(!parseZramMmStat("12 34\n").origDataBytes);
        QVERIFY(!parseZramMmStat("12 x 56\n").comprDataBytes);

        QCOMPARE(selectedZramAlgorithm("lzo-rle lzo [lz4] \n"), QStringLiteral("lz4"));
        QCOMPARE(selectedZramAlgorithm("[zstd]\n"), QStringLiteral("zstd"));
        QCOMPARE(selectedZramAlgorithm("lzo lz4\n"), QString());
        QCOMPARE(selectedZramAlgorithm("[]"), QString());
        // Damaged texts (found by the fuzzer): never a bracket in the name.
        QCOMPARE(selectedZramAlgorithm("a [b [c] d"), QStringLiteral("c"));
        QCOMPARE(selectedZramAlgorithm("] x [] [y]"), QStringLiteral("y"));
    }

    void savedSystemGivesEveryFigure()
    {
        QTemporaryDir root;
        QVERIFY(root.isValid());
        writeFile(root.filePath("proc/meminfo"),
                  readData(QStringLiteral("kalvoren-ci-6.18-swap-zswap.meminfo")));
        writeFile(root.filePath("proc/pressure/memory"), capturedPressure);
        writeFile(root.filePath("sys/block/zram0/disksize"), "0\n"); // not set up: left out
        writeFile(root.filePath("sys/block/zram1/disksize"), "67108864\n");
        writeFile(root.filePath("sys/block/zram1/mm_stat"), capturedMmStat);
        writeFile(root.filePath("sys/block/zram1/comp_algorithm"), "lzo-rle lzo [lz4] \n");
        writeFile(root.filePath("sys/block/zram2/disksize"), "1048576\n"); // no other file

        const std::unique_ptr<LinuxPlatform> platform = LinuxPlatform::forSystemRoot(root.path());
        PlatformError error;
        const std::optional<MemorySample> s = platform->readMemory(&error);
        QVERIFY2(s, qPrintable(error.message));
        QCOMPARE(s->availableBytes.value_or(0), quint64(23103776) * 1024);
        QCOMPARE(s->cacheBytes.value_or(0), quint64(842036 + 3964) * 1024);
        QCOMPARE(s->shmemBytes.value_or(0), quint64(10520) * 1024);
        QCOMPARE(s->swapTotalBytes.value_or(1), quint64(0));
        QCOMPARE(s->swapUsedBytes().value_or(1), quint64(0));
        QCOMPARE(s->zswapBytes.value_or(1), quint64(0));
        QVERIFY(s->pressure && s->pressure->full);
        QCOMPARE(s->pressure->full->totalUs, quint64(1440121));
        QCOMPARE(s->zram.size(), 2);
        const ZramDevice &z = s->zram.at(0);
        QCOMPARE(z.device, QStringLiteral("zram1"));
        QCOMPARE(z.algorithm, QStringLiteral("lz4"));
        QCOMPARE(z.disksizeBytes.value_or(0), quint64(67108864));
        QCOMPARE(qRound(z.compressionRatio().value_or(0) * 1000), 1549);
        // A device whose files are gone keeps its figures empty, not zero.
        QCOMPARE(s->zram.at(1).device, QStringLiteral("zram2"));
        QVERIFY(!s->zram.at(1).origDataBytes && !s->zram.at(1).compressionRatio());

        // A saved /proc without pressure and no /sys: those figures are absent, the sample fine.
        QTemporaryDir bare;
        writeFile(bare.filePath("proc/meminfo"),
                  readData(QStringLiteral("facter-old-short.meminfo")));
        const std::optional<MemorySample> old =
                LinuxPlatform::forSystemRoot(bare.path())->readMemory();
        QVERIFY(old);
        QVERIFY(!old->pressure && old->zram.isEmpty() && !old->availableBytes);
        QCOMPARE(old->swapUsedBytes().value_or(1), quint64(0)); // 524280 kB, all of it free
    }
};

QTEST_GUILESS_MAIN(TestMemoryExtras)
#include "tst_memoryextras.moc"
