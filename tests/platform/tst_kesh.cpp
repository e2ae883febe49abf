#include "platform/commands/Kesh.h"
#include "platform/commands/PatternError.h"

#include <QTest>

#include <atomic>
#include <thread>

class tst_Kesh : public QObject
{
    Q_OBJECT

private slots:
    void shellcmdReturnsEmptyNotNullForSilentCommands();
    void shellcmdJoinsChunksOfLongLines();
    void shellcmdKeepsEveryNewline();
    void shellcmdStopsAChunkAtNul();
    void shellcmdRunsPipelinesThroughTheShell();
    void quickMatchesFlattensGroupsMatchByMatch();
    void quickMatchesOnNoMatch();
    void dotSpansNewlines();
    void badPatternThrows();
    void concurrentCallsAgree();
};

void tst_Kesh::shellcmdReturnsEmptyNotNullForSilentCommands()
{
    const QString silent = Kesh::shellcmd(QStringLiteral("true"));
    QVERIFY(!silent.isNull());
    QCOMPARE(silent, QString());
    // A missing command complains on standard error only.
    const QString missing = Kesh::shellcmd(QStringLiteral("kalvoren-no-such-command 2>/dev/null"));
    QVERIFY(!missing.isNull());
    QVERIFY(missing.isEmpty());
}

void tst_Kesh::shellcmdJoinsChunksOfLongLines()
{
    // 5000 bytes on one line arrive in 1023-byte chunks and must come back whole.
    const QString out = Kesh::shellcmd(QStringLiteral("head -c 5000 /dev/zero | tr '\\0' x; echo"));
    QCOMPARE(out.size(), 5001);
    QCOMPARE(out, QString(5000, QLatin1Char('x')) + QLatin1Char('\n'));
}

void tst_Kesh::shellcmdKeepsEveryNewline()
{
    QCOMPARE(Kesh::shellcmd(QStringLiteral("printf 'a\\n\\nb\\n'")), QStringLiteral("a\n\nb\n"));
    QCOMPARE(Kesh::shellcmd(QStringLiteral("printf 'no final newline'")),
             QStringLiteral("no final newline"));
}

void tst_Kesh::shellcmdStopsAChunkAtNul()
{
    // Each fgets chunk contributes only the bytes before its first NUL.
    QCOMPARE(Kesh::shellcmd(QStringLiteral("printf 'ab\\0cd\\nef\\n'")), QStringLiteral("abef\n"));
}

void tst_Kesh::shellcmdRunsPipelinesThroughTheShell()
{
    QCOMPARE(Kesh::shellcmd(QStringLiteral("echo 'one two' | tr ' ' '\\n' | tail -n 1")),
             QStringLiteral("two\n"));
}

void tst_Kesh::quickMatchesFlattensGroupsMatchByMatch()
{
    const QStringList values =
            Kesh::quickMatches(QStringLiteral("a=1 b=2"), QStringLiteral("([a-z])=([0-9])"));
    QCOMPARE(values, (QStringList { "a", "1", "b", "2" }));
    QCOMPARE(Kesh::quickMatch(QStringLiteral("a=1 b=2"), QStringLiteral("([a-z])=([0-9])")),
             QStringLiteral("a"));
}

void tst_Kesh::quickMatchesOnNoMatch()
{
    QVERIFY(Kesh::quickMatches(QStringLiteral("abc"), QStringLiteral("([0-9]+)")).isEmpty());
    QVERIFY(Kesh::quickMatch(QStringLiteral("abc"), QStringLiteral("([0-9]+)")).isNull());
}

void tst_Kesh::dotSpansNewlines()
{
    const QString text = QStringLiteral("first: 1\nmiddle\nlast: 2\nlast: 3\n");
    // Greedy ".*" runs across lines, so one match spans the text and takes the last "last:".
    QCOMPARE(Kesh::quickMatches(text, QStringLiteral("first: ([0-9]+).*last: ([0-9]+)")),
             (QStringList { "1", "3" }));
}

void tst_Kesh::badPatternThrows()
{
    QVERIFY_THROWS_EXCEPTION(Kalvoren::PatternError,
                             Kesh::quickMatches(QStringLiteral("x"), QStringLiteral("([0-9]")));
}

void tst_Kesh::concurrentCallsAgree()
{
    // The sampler and a worker may match at the same time with the same cached pattern.
    const QString text = QStringLiteral("k=1 k=2 k=3");
    std::atomic<int> bad { 0 };
    auto work = [&] {
        for (int i = 0; i < 2000; ++i) {
            if (Kesh::quickMatches(text, QStringLiteral("k=([0-9])")).size() != 3)
                ++bad;
        }
    };
    std::thread a(work), b(work);
    a.join();
    b.join();
    QCOMPARE(bad.load(), 0);
}

QTEST_APPLESS_MAIN(tst_Kesh)
#include "tst_kesh.moc"
