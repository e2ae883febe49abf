#include "platform/ProcessAction.h"
#include "platform/commands/TopText.h"

#include <QFile>
#include <QProcess>
#include <QTest>

#include <cerrno>

using namespace Kalvoren;

namespace {

QByteArray header()
{
    QByteArray text;
    for (int i = 0; i < topHeaderLines; ++i)
        text += "header line " + QByteArray::number(i) + "\n";
    return text;
}

} // namespace

class TestTopText : public QObject
{
    Q_OBJECT

private slots:
    void capturesSkipTwelveLines_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("firstPid");
        QTest::addColumn<QString>("lastPid");
        // The 2017 capture is header only and its title line has no newline.
        QTest::newRow("macos 2017 header only")
                << "macos-2017-header-all-default-columns-no-rows.txt" << 0 << "" << "";
        QTest::newRow("macos 15, 15 processes")
                << "macos15-m1pro-l1-n15-o-cpu-stats-pid-command-cpu-mem-threads-state.txt"
                << 15 << "95207" << "94895";
    }
    void capturesSkipTwelveLines()
    {
        QFETCH(QString, file);
        QFETCH(int, rows);
        QFile f(QStringLiteral(KALVOREN_TEST_DATA "/top/") + file);
        QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(f.errorString()));
        const QList<TopLine> lines = parseTopText(f.readAll());
        QCOMPARE(lines.size(), rows);
        if (rows > 0) {
            QTEST(lines.first().pid, "firstPid");
            QTEST(lines.last().pid, "lastPid");
        }
    }

    void everyLineAfterTheHeaderIsKept_data()
    {
        QTest::addColumn<int>("totalLines");
        QTest::addColumn<int>("rows");
        QTest::newRow("empty") << 0 << 0;
        QTest::newRow("12 lines") << 12 << 0;
        QTest::newRow("13 lines") << 13 << 1;
        QTest::newRow("112 lines") << 112 << 100;
    }
    void everyLineAfterTheHeaderIsKept()
    {
        QFETCH(int, totalLines);
        QByteArray text;
        for (int i = 0; i < totalLines; ++i)
            text += QByteArray::number(1000 + i) + " 1M 0.0 cmd" + QByteArray::number(i) + "\n";
        const QList<TopLine> lines = parseTopText(text);
        QTEST(int(lines.size()), "rows");
        // Line 13 is the first row, the last line the last row: nothing dropped at either end.
        if (!lines.isEmpty()) {
            QCOMPARE(lines.first().pid, QStringLiteral("1012"));
            QCOMPARE(lines.last().pid, QString::number(1000 + totalLines - 1));
        }
    }

    void finalLineWithoutNewlineCounts()
    {
        const QList<TopLine> lines = parseTopText(header() + "1 2K 0.0 a\n2 1K 0.0 b");
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines.at(1).command, QStringLiteral("b"));
    }

    void runsOfSpacesSplitLikeSingleSpaces()
    {
        const TopLine single = splitTopLine("95207 753K 0.0 Web Content helper\n");
        const TopLine runs = splitTopLine("  95207     753K   0.0    Web   Content      helper   ");
        QCOMPARE(runs, single);
        QCOMPARE(runs.pid, QStringLiteral("95207"));
        QCOMPARE(runs.rsize, QStringLiteral("753K"));
        QCOMPARE(runs.cpu, QStringLiteral("0.0"));
        QCOMPARE(runs.command, QStringLiteral("Web Content helper"));
    }

    void shortLinesLeaveFieldsNull()
    {
        const TopLine line = splitTopLine("42   8K\r\n");
        QCOMPARE(line.pid, QStringLiteral("42"));
        QCOMPARE(line.rsize, QStringLiteral("8K"));
        QVERIFY(line.cpu.isNull());
        QVERIFY(line.command.isNull());
        QCOMPARE(splitTopLine("   "), TopLine());
    }

    void residentSizeLikeTop_data()
    {
        QTest::addColumn<quint64>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << quint64(0) << "0B";
        QTest::newRow("bytes") << quint64(1023) << "1023B";
        QTest::newRow("48K") << quint64(48) * 1024 << "48K";
        QTest::newRow("9999K stays K") << quint64(9999) * 1024 << "9999K";
        QTest::newRow("10000K becomes M") << quint64(10000) * 1024 << "9M";
        QTest::newRow("846M") << (quint64(846) << 20) << "846M";
        QTest::newRow("15G") << (quint64(15) << 30) << "15G";
        QTest::newRow("past 4 GiB") << (quint64(8134) << 20) << "8134M";
    }
    void residentSizeLikeTop()
    {
        QFETCH(quint64, bytes);
        QFETCH(QString, text);
        QCOMPARE(residentSizeText(bytes), text);
        // Reading it back lands within one unit of the original.
        const qint64 back = residentSizeBytes(text);
        QVERIFY(back >= 0);
        QVERIFY(quint64(back) <= bytes);
    }

    void residentSizeReadsSuffixes()
    {
        QCOMPARE(residentSizeBytes(u"846M"), qint64(846) << 20);
        QCOMPARE(residentSizeBytes(u"15G+"), qint64(15) << 30);
        QCOMPARE(residentSizeBytes(u"6321K-"), qint64(6321) << 10);
        QCOMPARE(residentSizeBytes(u"0B"), qint64(0));
        QCOMPARE(residentSizeBytes(u"head"), qint64(-1));
        QCOMPARE(residentSizeBytes(u""), qint64(-1));
    }

    void pidHyphenRule_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("used");
        QTest::newRow("trailing hyphen") << "123-" << "123";
        QTest::newRow("plain") << "123" << "123";
        QTest::newRow("hyphen inside") << "12-3" << "12-";
        QTest::newRow("empty") << "" << "";
    }
    void pidHyphenRule()
    {
        QFETCH(QString, text);
        QTEST(pidTextForAction(text), "used");
    }

    void onlyPlainPidsAreValid()
    {
        const qint64 own = 4242;
        QCOMPARE(validatedPid(u"123", own), std::optional<qint64>(123));
        QCOMPARE(validatedPid(u"2", own), std::optional<qint64>(2));
        for (const QString &bad : { QStringLiteral(""), QStringLiteral("0"), QStringLiteral("1"),
                                    QStringLiteral("-1"), QStringLiteral("4242"),
                                    QStringLiteral("12-"), QStringLiteral(" 12"),
                                    QStringLiteral("12;rm"), QStringLiteral("1e3"),
                                    QStringLiteral("123456789"), QStringLiteral("١٢٣") }) {
            QVERIFY2(!validatedPid(bad, own), qPrintable(bad));
        }
    }

    void shellQuotingKeepsOneWord()
    {
        QCOMPARE(shellQuoted(QStringLiteral("abc")), QStringLiteral("'abc'"));
        QCOMPARE(shellQuoted(QStringLiteral("")), QStringLiteral("''"));
        QCOMPARE(shellQuoted(QStringLiteral("x'; touch /tmp/pwned; '")),
                 QStringLiteral("'x'\\''; touch /tmp/pwned; '\\'''"));
        // The shell reads each back as exactly the one word it was.
        for (const QString &word : { QStringLiteral("x'; echo no; '"), QStringLiteral("''"),
                                     QStringLiteral("$(echo no) `echo no` \"\\ *") }) {
            QProcess shell;
            shell.start(QStringLiteral("/bin/sh"),
                        { QStringLiteral("-c"),
                          QStringLiteral("printf '%s|' ") + shellQuoted(word) });
            QVERIFY(shell.waitForFinished());
            QCOMPARE(QString::fromUtf8(shell.readAllStandardOutput()), word + QLatin1Char('|'));
        }
    }

    void signalErrorsAreTyped()
    {
        QCOMPARE(resultFromErrno(ESRCH, 5).status, ProcessActionStatus::NoSuchProcess);
        QCOMPARE(resultFromErrno(EPERM, 5).status, ProcessActionStatus::NotPermitted);
        const ProcessActionResult other = resultFromErrno(EINVAL, 5);
        QCOMPARE(other.status, ProcessActionStatus::Failed);
        QVERIFY(other.message.contains(QStringLiteral("5")));
    }
};

QTEST_APPLESS_MAIN(TestTopText)
#include "tst_toptext.moc"
