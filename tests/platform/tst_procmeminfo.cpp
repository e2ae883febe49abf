#include "platform/linux/LinuxPlatform.h"
#include "platform/linux/ProcMemInfo.h"
#include "stats/MemoryFigures.h"
#include "../support/TestData.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Kalvoren;

namespace {

QByteArray readData(const QString &name)
{
    return KalvorenTest::testData(QStringLiteral("linux/") + name);
}

// The "Mem:" row of procps' free -b for the same file: total, used, free, ...
QList<quint64> freeRow(const QString &meminfoName)
{
    QString base = meminfoName;
    base.chop(int(qstrlen(".meminfo")));
    const QByteArray text = readData(QStringLiteral("free-b/") + base + QStringLiteral(".free-b.txt"));
    QList<quint64> values;
    for (const QByteArray &line : text.split('\n')) {
        if (!line.startsWith("Mem:"))
            continue;
        for (const QByteArray &field : line.mid(4).simplified().split(' '))
            values.append(field.startsWith('-') ? 0 : field.toULongLong());
    }
    return values;
}

using KalvorenTest::writeFile;

} // namespace

class tst_ProcMemInfo : public QObject
{
    Q_OBJECT

private slots:
    void capturedFiles_data();
    void capturedFiles();
    void renderedTextGivesTheSameFigures();
    void wiredIsFlooredAtZero();
    void vmCountersBecomePages();
    void garbageNeverBecomesFigures();
    void linuxPlatformReadsItsRoot();
    void linuxPlatformSaysWhatIsMissing();
};

void tst_ProcMemInfo::capturedFiles_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<qint64>("total");
    QTest::addColumn<qint64>("free");
    QTest::addColumn<qint64>("active");
    QTest::addColumn<qint64>("inactive");
    QTest::addColumn<qint64>("available"); // -1: the kernel did not print it
    QTest::addColumn<QString>("error");
    auto row = [](const char *file, qint64 total, qint64 free, qint64 active, qint64 inactive,
                  qint64 available, const char *error) {
        QTest::newRow(file) << QString::fromLatin1(file) << total << free << active << inactive
                            << available << QString::fromLatin1(error);
    };
    // Byte-order mark before MemTotal: procps' free misses the field (it prints total 0 and a
    // negative used); we must not.
    row("benchmarkdotnet-with-memavailable.meminfo", 32904420, 415612, 27942284, 3192896, 6204328, "");
    row("benchmarkdotnet-without-memavailable.meminfo", 32904420, 415612, 27942284, 3192896, -1, "");
    row("facter-old-short.meminfo", 255908, 69936, 92700, 63792, -1, "");
    row("gopsutil-anonhugepages-3lines.meminfo", 260799420, 119443248, -1, -1, 127880216,
        "/proc/meminfo has no Active field");
    row("gopsutil-intelcorei5.meminfo", 16115528, 8577628, 4245500, 2869956, 11225936, "");
    row("gopsutil-issue1002-kernel2.4-style.meminfo", 254472, 121588, 106236, 8380, 210156, "");
    row("node_exporter-fixture.meminfo", 3742148, 225472, 2233416, 1028728, -1, "");
    row("sysstat-root1.meminfo", 8144960, 1437740, 4042384, 1772396, 4389516, "");
}

void tst_ProcMemInfo::capturedFiles()
{
    QFETCH(QString, file);
    QFETCH(qint64, total);
    QFETCH(qint64, free);
    QFETCH(qint64, active);
    QFETCH(qint64, inactive);
    QFETCH(qint64, available);
    QFETCH(QString, error);

    const MemInfo info = parseMemInfo(readData(file));
    QCOMPARE(qint64(info.memTotal.value_or(0)), total);
    QCOMPARE(qint64(info.memFree.value_or(0)), free);
    QCOMPARE(qint64(info.active.value_or(quint64(-1))), active);
    QCOMPARE(qint64(info.inactive.value_or(quint64(-1))), inactive);
    QCOMPARE(qint64(info.memAvailable.value_or(quint64(-1))), available);

    const quint64 pageSize = 4096;
    const MemoryPartitionResult result = partitionMemory(info, pageSize);
    QCOMPARE(result.error, error);
    if (!error.isEmpty()) {
        QVERIFY(!sampleFromMemInfo(info, {}, pageSize));
        return;
    }
    const MemoryPartition &p = result.partition;
    const quint64 sum = (p.freePages + p.activePages + p.inactivePages + p.wiredPages) * pageSize;
    const quint64 totalBytes = quint64(total) * 1024;
    // The four slices add up to MemTotal, short of at most the last partial page.
    QVERIFY2(sum <= totalBytes && totalBytes - sum < pageSize,
             qPrintable(QStringLiteral("sum %1 total %2").arg(sum).arg(totalBytes)));

    // Cross-check with procps' free -b for the same file: same total (where free could read
    // it) and the same free memory.
    const QList<quint64> freeB = freeRow(file);
    QVERIFY(freeB.size() >= 3);
    if (freeB.at(0) != 0)
        QCOMPARE(freeB.at(0), totalBytes);
    QCOMPARE(p.freePages * pageSize, freeB.at(2));
}

void tst_ProcMemInfo::renderedTextGivesTheSameFigures()
{
    const MemInfo info = parseMemInfo(readData(QStringLiteral("sysstat-root1.meminfo")));
    const VmCounters counters = parseVmCounters(readData(QStringLiteral("sysstat-root1.vmstat")));
    const std::optional<MemorySample> sample = sampleFromMemInfo(info, counters, 4096);
    QVERIFY(sample);
    // The same figures straight from the sample and through its vm_stat rendering.
    QCOMPARE(figuresFromSample(*sample),
             *figuresFromVmStat(QString::fromLatin1(renderVmStat(*sample)),
                                VmStatPattern::EightGroups));
    const QString text = QString::fromLatin1(renderVmStat(*sample));
    QCOMPARE(patternForText(text), VmStatPattern::EightGroups);
    const auto f = figuresFromVmStat(text, VmStatPattern::EightGroups);
    QVERIFY(f);
    QCOMPARE(f->Free, float(1437740.0 * 1024));
    QCOMPARE(f->Active, float(4042384.0 * 1024));
    QCOMPARE(f->Inactive, float(1772396.0 * 1024));
    QCOMPARE(f->Wired, float((8144960.0 - 1437740 - 4042384 - 1772396) * 1024));
    QCOMPARE(f->Ins, float(2685938 / 4));
    QCOMPARE(f->Outs, float(1863420 / 4));
    // Same text through the older seven-group pattern too (speculative is 0).
    const auto seven = figuresFromVmStat(text, VmStatPattern::SevenGroups);
    QVERIFY(seven);
    QCOMPARE(seven->Free, f->Free);
    QCOMPARE(seven->Wired, f->Wired);
    QCOMPARE(textsFor(*f).total, QStringLiteral("7.77 GB"));
}

void tst_ProcMemInfo::wiredIsFlooredAtZero()
{
    // Counters read at slightly different moments can explain more than MemTotal.
    const MemInfo info = parseMemInfo("MemTotal: 1000 kB\nMemFree: 600 kB\nActive: 300 kB\n"
                                      "Inactive: 200 kB\n");
    const MemoryPartitionResult r = partitionMemory(info, 4096);
    QVERIFY(r.error.isEmpty());
    QCOMPARE(r.partition.wiredPages, quint64(0));
    QCOMPARE(r.partition.freePages, quint64(150));
}

void tst_ProcMemInfo::vmCountersBecomePages()
{
    const VmCounters c = parseVmCounters(readData(QStringLiteral("node_exporter-fixture.vmstat")));
    QCOMPARE(c.pageInKb, quint64(7344136));
    QCOMPARE(c.pageOutKb, quint64(1541180581));
    const MemInfo info = parseMemInfo(readData(QStringLiteral("node_exporter-fixture.meminfo")));
    // 16 KiB pages (arm64 kernels): page-ins are counted in pages of that size.
    const std::optional<MemorySample> sample = sampleFromMemInfo(info, c, 16384);
    QVERIFY(sample);
    const MemoryFigures f = figuresFromSample(*sample);
    QCOMPARE(f.Ins, float(7344136 / 16));
    QCOMPARE(f.Free, float(225472 / 16 * 16384.0));
}

void tst_ProcMemInfo::garbageNeverBecomesFigures()
{
    // Empty, binary, overflowing, negative and duplicated fields.
    QVERIFY(!partitionMemory(parseMemInfo(""), 4096).error.isEmpty());
    QVERIFY(!partitionMemory(parseMemInfo(QByteArray("\0\0\xff\xfe", 4)), 4096).error.isEmpty());
    const MemInfo huge = parseMemInfo("MemTotal: 99999999999999999999999 kB\nMemFree: -5 kB\n");
    QVERIFY(!huge.memTotal);
    QVERIFY(!huge.memFree);
    const MemInfo twice = parseMemInfo("MemFree: 10 kB\nMemFree: 20 kB\n");
    QCOMPARE(twice.memFree.value_or(0), quint64(10));
    const MemInfo crlf = parseMemInfo("MemTotal:\t 8 kB\r\nMemFree: 4 kB\r\nActive: 0 kB\r\n"
                                      "Inactive: 0 kB");
    QCOMPARE(crlf.memTotal.value_or(0), quint64(8));
    QCOMPARE(crlf.inactive.value_or(1), quint64(0));
    QVERIFY(!partitionMemory(crlf, 0).error.isEmpty());
}

void tst_ProcMemInfo::linuxPlatformReadsItsRoot()
{
    QTemporaryDir root;
    QVERIFY(root.isValid());
    writeFile(root.filePath(QStringLiteral("meminfo")), readData(QStringLiteral("sysstat-root1.meminfo")));
    writeFile(root.filePath(QStringLiteral("vmstat")), readData(QStringLiteral("sysstat-root1.vmstat")));
    LinuxPlatform platform(root.path());
    QCOMPARE(platform.frameworkVersion() >= 1038, true);
    PlatformError error;
    const std::optional<MemorySample> first = platform.readMemory(&error);
    QVERIFY2(first, qPrintable(error.message));
    QCOMPARE(first->availableBytes.value_or(0), quint64(4389516) * 1024);
    QVERIFY(!first->speculativeBytes);
    // Reading again through the kept descriptor gives the same sample, not an empty one.
    QCOMPARE(platform.readMemory(), first);

    // Without /proc/vmstat the counts are 0 but the figures still come.
    QTemporaryDir bare;
    writeFile(bare.filePath(QStringLiteral("meminfo")), readData(QStringLiteral("facter-old-short.meminfo")));
    LinuxPlatform barePlatform(bare.path());
    const std::optional<MemorySample> bareSample = barePlatform.readMemory();
    QVERIFY(bareSample);
    QCOMPARE(bareSample->pageIns, quint64(0));
}

void tst_ProcMemInfo::linuxPlatformSaysWhatIsMissing()
{
    QTemporaryDir root;
    LinuxPlatform missing(root.path());
    PlatformError error;
    QVERIFY(!missing.readMemory(&error));
    QCOMPARE(error.kind, PlatformError::Kind::Unreadable);
    QVERIFY2(error.message.contains(QLatin1String("meminfo")), qPrintable(error.message));

    writeFile(root.filePath(QStringLiteral("meminfo")),
              readData(QStringLiteral("gopsutil-anonhugepages-3lines.meminfo")));
    LinuxPlatform short3(root.path());
    QVERIFY(!short3.readMemory(&error));
    QCOMPARE(error.kind, PlatformError::Kind::MissingField);
    QCOMPARE(error.message, QStringLiteral("/proc/meminfo has no Active field"));
}

QTEST_APPLESS_MAIN(tst_ProcMemInfo)
#include "tst_procmeminfo.moc"
