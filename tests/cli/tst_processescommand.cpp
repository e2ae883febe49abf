#include "cli/Cli.h"
#include "platform/linux/LinuxPlatform.h"
#include "../support/StreamContents.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryFile>
#include <QTest>

#include <cstdio>

using namespace Kalvoren;

namespace {

struct Run
{
    int status = -1;
    QByteArray out;
    QByteArray err;
};

Run run(const QStringList &arguments)
{
    CliContext context;
    context.streams.out = std::tmpfile();
    context.streams.err = std::tmpfile();
    context.sleep = [](double) {};
    Run result;
    result.status = runCli(arguments, context);
    result.out = streamContents(context.streams.out);
    result.err = streamContents(context.streams.err);
    std::fclose(context.streams.out);
    std::fclose(context.streams.err);
    return result;
}

const QString capture = QStringLiteral(KALVOREN_TEST_DATA "/top/macos15-m1pro-l1-n15-o-cpu-"
                                       "stats-pid-command-cpu-mem-threads-state.txt");

} // namespace

class TestProcessesCommand : public QObject
{
    Q_OBJECT

private slots:
    void listsEveryProcessOfASavedText()
    {
        const Run r = run({ "processes", "--from", capture });
        QCOMPARE(r.status, int(ExitOk));
        const QList<QByteArray> lines = r.out.trimmed().split('\n');
        QCOMPARE(lines.size(), 16); // title and all 15 processes, the last one included
        // (This capture's columns are pid, command, cpu: not a size in the second one.)
        QVERIFY(lines.at(1).simplified().startsWith("95207 0B 0.0 "));
        QVERIFY(lines.last().simplified().startsWith("94895 0B 0.0 "));
    }

    void jsonForScripts()
    {
        const Run r = run({ "processes", "--from", capture, "--json" });
        QCOMPARE(r.status, int(ExitOk));
        const QJsonArray rows = QJsonDocument::fromJson(r.out).array();
        QCOMPARE(rows.size(), 15);
        QCOMPARE(rows.at(0).toObject().value("pid").toInteger(), 95207);
        QCOMPARE(rows.at(0).toObject().value("cpu").toDouble(), 0.0);
    }

    void liveJsonInTheOrderAsked_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("key");  // the JSON key the rows are ordered by
        QTest::addColumn<bool>("largestFirst");
        QTest::newRow("default: resident size") << QStringList() << "rsize_bytes" << true;
        QTest::newRow("rss") << QStringList { "--sort", "rss" } << "rsize_bytes" << true;
        QTest::newRow("cpu") << QStringList { "--sort", "cpu" } << "cpu" << true;
        QTest::newRow("pid") << QStringList { "--sort", "pid" } << "pid" << false;
        QTest::newRow("command") << QStringList { "--sort", "command" } << "command" << false;
        QTest::newRow("one user's, by pid")
                << QStringList { "--user", "root", "--sort", "pid" } << "pid" << false;
        QTest::newRow("user by uid") << QStringList { "--user", "0" } << "rsize_bytes" << true;
    }
    void liveJsonInTheOrderAsked()
    {
        QFETCH(QStringList, options);
        QFETCH(QString, key);
        QFETCH(bool, largestFirst);
        const Run r = run(QStringList { "processes", "--json" } + options);
        QCOMPARE(r.status, int(ExitOk));
        const QJsonArray rows = QJsonDocument::fromJson(r.out).array();
        QVERIFY(rows.size() > 1); // the tests run as root, beside other root processes
        const bool oneUser = options.contains(QStringLiteral("--user"));
        for (qsizetype i = 1; i < rows.size(); ++i) {
            const QJsonValue a = rows.at(i - 1)[key];
            const QJsonValue b = rows.at(i)[key];
            if (a.isString())
                QVERIFY(a.toString().compare(b.toString(), Qt::CaseInsensitive) <= 0);
            else
                QVERIFY(largestFirst ? a.toDouble() >= b.toDouble()
                                     : a.toDouble() <= b.toDouble());
            if (oneUser)
                QCOMPARE(rows.at(i)["user"].toString(), QStringLiteral("root"));
        }
    }

    void percentSignsStayInTheirColumn()
    {
        // Fields are user data: a "%1" in one must not take the next field's place.
        QTemporaryFile saved;
        QVERIFY(saved.open());
        saved.write(QByteArray("header\n").repeated(12)
                    + "4242 1M 0.0 %2 %1\n4243 2M 1.5 cmd%1 %1%1 x\n");
        saved.close();
        const Run r = run({ "processes", "--from", saved.fileName() });
        QCOMPARE(r.status, int(ExitOk));
        const QList<QByteArray> lines = r.out.trimmed().split('\n');
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines.at(1).simplified(), QByteArray("4242 1024K 0.0 %2 %1"));
        QCOMPARE(lines.at(2).simplified(), QByteArray("4243 2048K 1.5 cmd%1 %1%1 x"));
    }

    void badInputIsSaid()
    {
        Run r = run({ "processes", "--from", "/nonexistent/top.txt" });
        QCOMPARE(r.status, int(ExitFailure));
        QVERIFY(r.err.contains("cannot read /nonexistent/top.txt"));
        r = run({ "processes", "--from",
                  KALVOREN_TEST_DATA "/top/macos-2017-header-all-default-columns-no-rows.txt" });
        QCOMPARE(r.status, int(ExitFailure));
        QVERIFY(r.err.contains("no process lines"));
        r = run({ "processes", "--quit", "1; reboot" });
        QCOMPARE(r.status, int(ExitUsage));
        QVERIFY(r.err.contains("not a process"));
        r = run({ "processes", "--bogus" });
        QCOMPARE(r.status, int(ExitUsage));
        r = run({ "processes", "--quit", "5", "--json" });
        QCOMPARE(r.status, int(ExitUsage));
        r = run({ "processes", "--quit", "5", "--sort", "pid" });
        QCOMPARE(r.status, int(ExitUsage));
        r = run({ "processes", "--sort", "size" });
        QCOMPARE(r.status, int(ExitUsage));
        QVERIFY(r.err.contains("rss, cpu, pid or command"));
        r = run({ "processes", "--user", "root", "--from", capture });
        QCOMPARE(r.status, int(ExitUsage));
    }
};

QTEST_GUILESS_MAIN(TestProcessesCommand)
#include "tst_processescommand.moc"
