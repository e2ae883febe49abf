#include "FakePlatform.h"
#include "cli/BenchmarkCommand.h"
#include "cli/Cli.h"
#include "cli/InterruptGuard.h"
#include "../support/StreamContents.h"

#include <QTest>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <thread>

#include <unistd.h>

using namespace Kalvoren;

namespace {

constexpr quint64 MiB = quint64(1) << 20;

// Runs "kalvoren ARGS" against a fake platform and keeps what it printed.
struct Run
{
    explicit Run(const QStringList &arguments, quint64 availableMb = 0)
    {
        CliContext context;
        context.streams.out = std::tmpfile();
        context.streams.err = std::tmpfile();
        context.makePlatform = [availableMb] {
            auto platform = std::make_unique<FakePlatform>();
            if (availableMb > 0)
                platform->availableBytes = availableMb * MiB;
            return platform;
        };
        context.sleep = [](double) {};
        status = runCli(arguments, context);
        out = QString::fromLocal8Bit(streamContents(context.streams.out));
        err = QString::fromLocal8Bit(streamContents(context.streams.err));
        std::fclose(context.streams.out);
        std::fclose(context.streams.err);
    }
    int status = -1;
    QString out;
    QString err;
};

const QString refusal = QStringLiteral(
        "kalvoren: I cannot proceed with those input values!, try pressing the 'Suggest' button.");

} // namespace

class TestBenchmarkCommand : public QObject
{
    Q_OBJECT

private slots:
    void runsAndPrintsTheTime();
    void badInputIsRefusedOnStandardError_data();
    void badInputIsRefusedOnStandardError();
    void missingOptionsAreUsageErrors_data();
    void missingOptionsAreUsageErrors();
    void suggestPrintsTheBoundedProposal();
    void suggestWithCountRunsTheTest();
    void ctrlCCancelsAndSaysSo();
    void progressLineNamesPassAndPassesLeft();
};

void TestBenchmarkCommand::runsAndPrintsTheTime()
{
    const Run run({ "benchmark", "--total", "2", "--count", "4" });
    QCOMPARE(run.status, int(ExitOk));
    QVERIFY(run.err.isEmpty()); // no terminal: no progress line
    const QStringList lines = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 1);
    QVERIFY2(lines.first().startsWith(QLatin1String("This test was completed in ")), qPrintable(run.out));
    QVERIFY(lines.first().endsWith(QLatin1String(" seconds")));
    bool ok = false;
    lines.first().section(QLatin1Char(' '), 5, 5).toDouble(&ok);
    QVERIFY(ok);
}

void TestBenchmarkCommand::badInputIsRefusedOnStandardError_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("total 0") << QStringList({ "--total", "0", "--count", "5" });
    QTest::newRow("total above 3000") << QStringList({ "--total", "3001", "--count", "5" });
    QTest::newRow("total not a number") << QStringList({ "--total", "ten", "--count", "5" });
    QTest::newRow("total with unit") << QStringList({ "--total", "10MB", "--count", "5" });
    QTest::newRow("negative total") << QStringList({ "--total", "-10", "--count", "5" });
    QTest::newRow("count 0") << QStringList({ "--total", "10", "--count", "0" });
    QTest::newRow("negative count") << QStringList({ "--total", "10", "--count", "-3" });
    QTest::newRow("huge count") << QStringList({ "--total", "10", "--count", "99999999999" });
    QTest::newRow("above available") << QStringList({ "--total", "937", "--count", "5" });
}

void TestBenchmarkCommand::badInputIsRefusedOnStandardError()
{
    QFETCH(QStringList, arguments);
    const Run run(QStringList({ "benchmark" }) + arguments, 1000);
    QCOMPARE(run.status, int(ExitUsage));
    QVERIFY(run.out.isEmpty());
    QVERIFY2(run.err.startsWith(refusal + QLatin1Char('\n')), qPrintable(run.err));
    QVERIFY2(run.err.contains(QLatin1String("1 to 936 MB")), qPrintable(run.err));
}

void TestBenchmarkCommand::missingOptionsAreUsageErrors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("nothing") << QStringList();
    QTest::newRow("no count") << QStringList({ "--total", "10" });
    QTest::newRow("no total") << QStringList({ "--count", "10" });
    QTest::newRow("both totals") << QStringList({ "--total", "10", "--suggest", "--count", "1" });
    QTest::newRow("value missing") << QStringList({ "--count", "1", "--total" });
    QTest::newRow("unknown option") << QStringList({ "--total", "1", "--count", "1", "--fast" });
}

void TestBenchmarkCommand::missingOptionsAreUsageErrors()
{
    QFETCH(QStringList, arguments);
    const Run run(QStringList({ "benchmark" }) + arguments);
    QCOMPARE(run.status, int(ExitUsage));
    QVERIFY(run.out.isEmpty());
    QVERIFY(run.err.startsWith(QLatin1String("kalvoren: ")));
}

void TestBenchmarkCommand::suggestPrintsTheBoundedProposal()
{
    // The fake platform has 500 MB free and 500 MB inactive.
    const Run unbounded({ "benchmark", "--suggest" });
    QCOMPARE(unbounded.status, int(ExitOk));
    QCOMPARE(unbounded.out, QStringLiteral("Suggested total: 800 MB\n"));

    const Run bounded({ "benchmark", "--suggest" }, 500);
    QCOMPARE(bounded.out, QStringLiteral("Suggested total: 436 MB\n"));
}

void TestBenchmarkCommand::suggestWithCountRunsTheTest()
{
    // 100 MB available leaves 36 MB; a short test with it.
    const Run run({ "benchmark", "--suggest", "--count", "3" }, 100);
    QCOMPARE(run.status, int(ExitOk));
    QVERIFY2(run.out.startsWith(QLatin1String("Suggested total: 36 MB\n"
                                              "This test was completed in ")),
             qPrintable(run.out));
}

void TestBenchmarkCommand::ctrlCCancelsAndSaysSo()
{
    // Ctrl-C until the command's own handler has caught one; until then (and after it is
    // gone) a handler of the test's own takes them.
    struct sigaction quiet = {};
    struct sigaction previous = {};
    quiet.sa_handler = [](int) {};
    sigemptyset(&quiet.sa_mask);
    ::sigaction(SIGINT, &quiet, &previous);
    std::atomic<bool> finished { false };
    std::thread ctrlC([&finished] {
        while (!finished.load() && !InterruptGuard::interrupted().load()) {
            ::kill(::getpid(), SIGINT);
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    });
    const Run run({ "benchmark", "--total", "1", "--count", "2000000000" });
    finished.store(true);
    ctrlC.join();
    ::sigaction(SIGINT, &previous, nullptr);
    QCOMPARE(run.status, int(ExitCancelled));
    QVERIFY2(run.out.startsWith(QLatin1String("This test was cancelled after ")),
             qPrintable(run.out));
    QVERIFY(!run.out.contains(QLatin1String("completed")));
}

void TestBenchmarkCommand::progressLineNamesPassAndPassesLeft()
{
    QCOMPARE(benchmarkProgressLine(10485760, 0),
             QStringLiteral("Allocate, Use then Free 10240 kB, 0 left"));
    QCOMPARE(benchmarkProgressLine(2, 2000), QStringLiteral("Allocate, Use then Free 0 kB, 2000 left"));
}

QTEST_GUILESS_MAIN(TestBenchmarkCommand)
#include "tst_benchmarkcommand.moc"
