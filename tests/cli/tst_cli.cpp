#include "cli/Cli.h"
#include "cli/StatsCommand.h"
#include "platform/Platform.h"
#include "platform/commands/VmStatText.h"
#include "../support/StreamContents.h"
#include "../support/WorkedExample.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

using namespace Kalvoren;

namespace {

class FakePlatform : public Platform
{
public:
    QString text = QString::fromLatin1(workedExample);
    QString error;
    int *reads = nullptr;

    QString name() const override { return QStringLiteral("fake"); }
    double frameworkVersion() const override { return 1038; }
    std::optional<MemorySample> readMemory(PlatformError *e) override
    {
        if (reads)
            ++*reads;
        const std::optional<MemorySample> sample =
                sampleFromVmStat(text, VmStatPattern::EightGroups);
        if (!sample)
            return readingFailed<MemorySample>(e, PlatformError::Kind::MissingField, error);
        return sample;
    }
};

// Runs a command with memory-backed streams and keeps what it printed.
struct Run
{
    int status = -1;
    QString out;
    QString err;
};

Run run(const QStringList &arguments, std::function<std::unique_ptr<Platform>()> platform = {},
        QList<double> *sleeps = nullptr, const QByteArray &input = {}, FILE *out = nullptr)
{
    CliContext context;
    context.streams.out = out ? out : std::tmpfile();
    context.streams.err = std::tmpfile();
    context.streams.in = std::tmpfile();
    std::fwrite(input.constData(), 1, size_t(input.size()), context.streams.in);
    std::rewind(context.streams.in);
    context.makePlatform = platform ? platform : [] { return std::make_unique<FakePlatform>(); };
    context.sleep = [sleeps](double s) {
        if (sleeps)
            sleeps->append(s);
    };
    Run r;
    r.status = runCli(arguments, context);
    r.out = QString::fromUtf8(streamContents(context.streams.out));
    r.err = QString::fromUtf8(streamContents(context.streams.err));
    std::fclose(context.streams.out);
    std::fclose(context.streams.err);
    std::fclose(context.streams.in);
    return r;
}

QString dataPath(const char *name)
{
    return QStringLiteral(KALVOREN_TEST_DATA "/vm_stat/") + QLatin1String(name);
}

} // namespace

class tst_Cli : public QObject
{
    Q_OBJECT

private slots:
    void statsPrintsTheFiveTexts();
    void statsJson();
    void statsRepeatsLikeVmstat();
    void statsFromSavedOutputs_data();
    void statsFromSavedOutputs();
    void statsFromStandardInput();
    void statsReadsASavedSystem();
    void largeSavedTextsAreRead_data();
    void largeSavedTextsAreRead();
    void textWithoutFiguresIsAnErrorNotZeros();
    void liveFailureIsReported();
    void badCommandLines_data();
    void badCommandLines();
    void helpAndVersion();
    void lostOutputIsAFailure_data();
    void lostOutputIsAFailure();
    void desktopArgumentsAreNotCommands();
};

void tst_Cli::statsPrintsTheFiveTexts()
{
    const Run r = run({ "stats" });
    QCOMPARE(r.status, 0);
    QCOMPARE(r.out, QStringLiteral("Free: 126.35 MB\nInactive: 212.19 MB\nWired: 299.00 MB\n"
                                   "Active: 482.25 MB\nTotal: 1.09 GB\n"));
    QCOMPARE(r.err, QString());
}

void tst_Cli::statsJson()
{
    const Run r = run({ "stats", "--json" });
    QCOMPARE(r.status, 0);
    const QJsonObject o = QJsonDocument::fromJson(r.out.toUtf8()).object();
    QCOMPARE(o.value("free").toString(), QStringLiteral("126.35 MB"));
    QCOMPARE(o.value("total").toString(), QStringLiteral("1.09 GB"));
    QCOMPARE(o.value("free_bytes").toDouble(), 132485120.0);
    QCOMPARE(o.value("wired_bytes").toDouble(), 313520128.0);
    QCOMPARE(o.value("pageins").toDouble(), 999001.0);
}

void tst_Cli::statsRepeatsLikeVmstat()
{
    int reads = 0;
    QList<double> sleeps;
    auto platform = [&reads] {
        auto p = std::make_unique<FakePlatform>();
        p->reads = &reads;
        return p;
    };
    Run r = run({ "stats", "--interval", "0.5", "--count", "3" }, platform, &sleeps);
    QCOMPARE(r.status, 0);
    QCOMPARE(reads, 3);
    QCOMPARE(sleeps, (QList<double> { 0.5, 0.5 }));
    QCOMPARE(r.out.count(QLatin1String("Free: ")), 3);

    // --count alone samples at the program's two-second rhythm; JSON gives one line each.
    sleeps.clear();
    r = run({ "stats", "--count", "2", "--json" }, platform, &sleeps);
    QCOMPARE(sleeps, (QList<double> { 2.0 }));
    QCOMPARE(r.out.count(QLatin1Char('\n')), 2);
}

void tst_Cli::statsFromSavedOutputs_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("firstLine");
    QTest::newRow("10.6, speculative line") << dataPath("ohai-osx-10.6-era.txt")
                                            << QStringLiteral("Free: 10494.63 MB");
    QTest::newRow("16k pages") << dataPath("ansible-macos-apple-silicon-16k.txt")
                               << QStringLiteral("Free: 385.66 MB");
    QTest::newRow("10.4, no speculative line") << dataPath("benchmarkdotnet-osx-10.4-format-normalized.txt")
                                               << QStringLiteral("Free: 21.63 MB");
    // The same text pasted from a web page: byte-order mark, no-break spaces, no final newline.
    QTest::newRow("10.4 pasted") << dataPath("benchmarkdotnet-osx-10.4-format-nbsp.txt")
                                 << QStringLiteral("Free: 21.63 MB");
}

void tst_Cli::statsFromSavedOutputs()
{
    QFETCH(QString, file);
    QFETCH(QString, firstLine);
    // The live platform must not be asked when a file is given.
    const Run r = run({ "stats", "--from", file }, [] {
        qFatal("platform made for --from");
        return std::unique_ptr<Platform>();
    });
    QCOMPARE(r.status, 0);
    QCOMPARE(r.out.section(QLatin1Char('\n'), 0, 0), firstLine);
    QCOMPARE(r.out.count(QLatin1Char('\n')), 5);
}

void tst_Cli::statsFromStandardInput()
{
    const Run r = run({ "stats", "--from", "-" }, {}, nullptr, QByteArray(workedExample));
    QCOMPARE(r.status, 0);
    QVERIFY(r.out.startsWith(QLatin1String("Free: 126.35 MB\n")));

    // A sample written in the vm_stat layout reads back to the same figures.
    const Run layout = run({ "stats", "--vm-stat" });
    QCOMPARE(layout.status, 0);
    QVERIFY(layout.out.startsWith(QLatin1String("Mach Virtual Memory Statistics: (page size of "
                                                "4096 bytes)\n")));
    const Run back = run({ "stats", "--from", "-" }, {}, nullptr, layout.out.toLatin1());
    QCOMPARE(back.out, r.out);
}

void tst_Cli::statsReadsASavedSystem()
{
    const QString meminfo =
            QStringLiteral(KALVOREN_TEST_DATA "/linux/kalvoren-ci-6.18-swap-zswap.meminfo");
    // A saved /proc/meminfo reads like vm_stat text: MemFree 22574828 kB is 22045.73 MB.
    Run r = run({ "stats", "--from", meminfo, "--all" });
    QCOMPARE(r.status, 0);
    QVERIFY2(r.out.startsWith(QLatin1String("Free: 22045.73 MB\n")), qPrintable(r.out));
    QVERIFY2(r.out.contains(QLatin1String("\nSwap: none\n")), qPrintable(r.out));

    // A copied /proc (+ /sys) tree: every figure it has, and no key for what it lacks.
    QTemporaryDir root;
    QVERIFY(QDir().mkpath(root.filePath("proc/pressure")));
    QVERIFY(QFile::copy(meminfo, root.filePath("proc/meminfo")));
    QVERIFY(QFile::copy(QStringLiteral(KALVOREN_TEST_DATA "/linux/kalvoren-ci-6.18.pressure"),
                        root.filePath("proc/pressure/memory")));
    r = run({ "stats", "--root", root.path(), "--json" }, [] {
        qFatal("live platform made for --root");
        return std::unique_ptr<Platform>();
    });
    QCOMPARE(r.status, 0);
    const QJsonObject o = QJsonDocument::fromJson(r.out.toUtf8()).object();
    QCOMPARE(o.value("free").toString(), QStringLiteral("22045.73 MB"));
    QCOMPARE(o.value("available_bytes").toDouble(), 23103776.0 * 1024);
    QCOMPARE(o.value("swap_total_bytes").toDouble(), 0.0);
    QCOMPARE(o.value("pressure").toObject().value("some_avg10").toDouble(), 0.54);
    QVERIFY(!o.contains("zram"));
    QVERIFY(run({ "stats", "--root", "/nonexistent" }).err.contains("/nonexistent/proc/meminfo"));
}

void tst_Cli::largeSavedTextsAreRead_data()
{
    // Valid texts of several MiB, which the reader takes (up to 16 MiB): the figures must
    // not be lost to the regex engine's limits.
    const QByteArray filler = QByteArray("some other line of a saved log\n").repeated(100000);
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("3 MiB after") << QByteArray(workedExample) + filler;
    QTest::newRow("15 MiB around") << filler.repeated(2) + QByteArray(workedExample)
                    + filler.repeated(3);
}

void tst_Cli::largeSavedTextsAreRead()
{
    QFETCH(QByteArray, text);
    const Run r = run({ "stats", "--from", "-" }, {}, nullptr, text);
    QCOMPARE(r.err, QString());
    QCOMPARE(r.status, 0);
    QVERIFY(r.out.startsWith(QLatin1String("Free: 126.35 MB\n")));
}

void tst_Cli::textWithoutFiguresIsAnErrorNotZeros()
{
    Run r = run({ "stats", "--from", "-" }, {}, nullptr, "hello\nPages free: 12.\n");
    QCOMPARE(r.status, 1);
    QCOMPARE(r.out, QString());
    QCOMPARE(r.err.count(QLatin1Char('\n')), 1);
    QVERIFY(r.err.startsWith(QLatin1String("kalvoren: no memory figures in standard input")));

    r = run({ "stats", "--from", "/nonexistent/vm_stat.txt" });
    QCOMPARE(r.status, 1);
    QVERIFY(r.err.contains(QLatin1String("cannot read /nonexistent/vm_stat.txt")));
}

void tst_Cli::liveFailureIsReported()
{
    const Run r = run({ "stats" }, [] {
        auto p = std::make_unique<FakePlatform>();
        p->text.clear();
        p->error = QStringLiteral("/proc/meminfo has no Active field");
        return p;
    });
    QCOMPARE(r.status, 1);
    QCOMPARE(r.out, QString());
    QCOMPARE(r.err, QStringLiteral("kalvoren: cannot read the memory figures: "
                                   "/proc/meminfo has no Active field\n"));
}

void tst_Cli::badCommandLines_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("unknown command") << QStringList { "stat" };
    QTest::newRow("unknown option") << QStringList { "stats", "--jsn" };
    QTest::newRow("interval not a number") << QStringList { "stats", "--interval", "abc" };
    QTest::newRow("interval zero") << QStringList { "stats", "--interval", "0" };
    QTest::newRow("count zero") << QStringList { "stats", "--count", "0" };
    QTest::newRow("count fraction") << QStringList { "stats", "--count", "1.5" };
    QTest::newRow("missing value") << QStringList { "stats", "--from" };
    QTest::newRow("from with interval") << QStringList { "stats", "--from", "x", "--interval", "1" };
    QTest::newRow("bad platform") << QStringList { "--platform", "mac", "stats" };
    QTest::newRow("two layouts") << QStringList { "stats", "--json", "--vm-stat" };
    QTest::newRow("two sources") << QStringList { "stats", "--from", "x", "--root", "y" };
    // An empty value is no value: it must not act as if the option were left out.
    QTest::newRow("empty from") << QStringList { "stats", "--from", "" };
    QTest::newRow("empty quit") << QStringList { "processes", "--quit", "" };
    QTest::newRow("empty force quit") << QStringList { "processes", "--force-quit", "" };
    QTest::newRow("empty top text") << QStringList { "processes", "--from", "" };
    QTest::newRow("empty count") << QStringList { "benchmark", "--suggest", "--count", "" };
}

void tst_Cli::badCommandLines()
{
    QFETCH(QStringList, arguments);
    const Run r = run(arguments);
    QCOMPARE(r.status, 2);
    QCOMPARE(r.out, QString());
    QVERIFY(r.err.startsWith(QLatin1String("kalvoren: ")));
}

void tst_Cli::helpAndVersion()
{
    Run r = run({ "--version" });
    QCOMPARE(r.status, 0);
    QCOMPARE(r.out, QStringLiteral("kalvoren 3.5.0\n"));
    r = run({ "--help" });
    QCOMPARE(r.status, 0);
    QVERIFY(r.out.contains(QLatin1String("stats")));
    r = run({ "stats", "--help" });
    QCOMPARE(r.status, 0);
    QVERIFY(r.out.contains(QLatin1String("--from FILE")));
}

void tst_Cli::lostOutputIsAFailure_data()
{
    // "full": /dev/full; "closed": a descriptor open for reading only, which is what a closed
    // standard output becomes (reserveClosedStandardStreams).
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("full");
    QTest::newRow("stats") << QStringList { "stats" } << true;
    QTest::newRow("stats json") << QStringList { "stats", "--json" } << true;
    QTest::newRow("stats repeated") << QStringList { "stats", "--interval", "1" } << true;
    QTest::newRow("processes json")
            << QStringList { "processes", "--json", "--from",
                             KALVOREN_TEST_DATA "/top/macos15-m1pro-l1-n15-o-cpu-stats-pid-"
                                                "command-cpu-mem-threads-state.txt" }
            << true;
    QTest::newRow("version") << QStringList { "--version" } << true;
    QTest::newRow("help") << QStringList { "--help" } << true;
    QTest::newRow("command help") << QStringList { "stats", "--help" } << true;
    QTest::newRow("stats, closed") << QStringList { "stats" } << false;
}

void tst_Cli::lostOutputIsAFailure()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, full);
    FILE *out = full ? std::fopen("/dev/full", "w") : std::fopen("/dev/null", "r");
    QVERIFY(out);
    // "stats --interval 1" samples for ever unless a lost output ends it.
    const Run r = run(arguments, {}, nullptr, {}, out);
    QCOMPARE(r.status, 1);
    QCOMPARE(r.err, QStringLiteral("kalvoren: write error: ")
                     + (full ? QStringLiteral("No space left on device")
                             : QStringLiteral("Bad file descriptor"))
                     + QLatin1Char('\n'));
}

void tst_Cli::desktopArgumentsAreNotCommands()
{
    QVERIFY(!isCliInvocation({}));
    QVERIFY(!isCliInvocation({ "-platform", "offscreen" }));
    QVERIFY(isCliInvocation({ "stats" }));
    QVERIFY(isCliInvocation({ "--help" }));
    QVERIFY(isCliInvocation({ "stat" }));
}

QTEST_APPLESS_MAIN(tst_Cli)
#include "tst_cli.moc"
