#include "PurgeHelper.h"
#include "platform/linux/LinuxPlatform.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Kalvoren;

namespace {

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void touchFile(const QString &path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
}

QString writeScript(const QTemporaryDir &dir, const QString &name, const QByteArray &body)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    file.write("#!/bin/sh\n" + body);
    file.close();
    file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
    return path;
}

} // namespace

class TestPurgeHelper : public QObject
{
    Q_OBJECT

private slots:
    void arguments_data();
    void arguments();
    void writesDropCachesThenCompacts();
    void kernelWithoutCompactionIsNoFailure();
    void missingDropCachesIsAFailure();
    void helperRefusesStrayArguments();
    void launchByPrivilege();
    void platformRunsTheHelperAndReportsItsFailure();
};

void TestPurgeHelper::arguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("caches");
    QTest::addColumn<bool>("compact");
    QTest::newRow("none") << QStringList() << true << 3 << true;
    QTest::newRow("page cache only") << QStringList { "--caches=1" } << true << 1 << true;
    QTest::newRow("no compaction") << QStringList { "--no-compact", "--caches=2" } << true << 2
                                   << false;
    QTest::newRow("level 0") << QStringList { "--caches=0" } << false << 3 << true;
    QTest::newRow("level 4") << QStringList { "--caches=4" } << false << 3 << true;
    QTest::newRow("two digits") << QStringList { "--caches=33" } << false << 3 << true;
    QTest::newRow("empty level") << QStringList { "--caches=" } << false << 3 << true;
    QTest::newRow("twice") << QStringList { "--caches=1", "--caches=1" } << false << 1 << true;
    QTest::newRow("a path") << QStringList { "/etc/passwd" } << false << 3 << true;
    QTest::newRow("empty") << QStringList { "" } << false << 3 << true;
    QTest::newRow("no-compact twice") << QStringList { "--no-compact", "--no-compact" } << false
                                      << 3 << false;
}

void TestPurgeHelper::arguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, ok);
    QFETCH(int, caches);
    QFETCH(bool, compact);
    std::vector<std::string> storage;
    for (const QString &argument : arguments)
        storage.push_back(argument.toStdString());
    const std::vector<std::string_view> views(storage.begin(), storage.end());
    const PurgeArguments checked = checkPurgeArguments(views);
    QCOMPARE(checked.ok, ok);
    QCOMPARE(checked.error.empty(), ok);
    if (ok) {
        QCOMPARE(checked.request.dropCaches, caches);
        QCOMPARE(checked.request.compact, compact);
    }
}

void TestPurgeHelper::writesDropCachesThenCompacts()
{
    QTemporaryDir vm;
    touchFile(vm.filePath(QStringLiteral("drop_caches")));
    touchFile(vm.filePath(QStringLiteral("compact_memory")));
    const std::vector<std::string> failures = runPurge({ 3, true }, vm.path().toStdString());
    QVERIFY(failures.empty());
    QCOMPARE(contents(vm.filePath(QStringLiteral("drop_caches"))), QByteArray("3\n"));
    QCOMPARE(contents(vm.filePath(QStringLiteral("compact_memory"))), QByteArray("1\n"));

    touchFile(vm.filePath(QStringLiteral("drop_caches")));
    touchFile(vm.filePath(QStringLiteral("compact_memory")));
    QVERIFY(runPurge({ 1, false }, vm.path().toStdString()).empty());
    QCOMPARE(contents(vm.filePath(QStringLiteral("drop_caches"))), QByteArray("1\n"));
    QCOMPARE(contents(vm.filePath(QStringLiteral("compact_memory"))), QByteArray());
}

void TestPurgeHelper::kernelWithoutCompactionIsNoFailure()
{
    QTemporaryDir vm;
    touchFile(vm.filePath(QStringLiteral("drop_caches")));
    QVERIFY(runPurge({ 3, true }, vm.path().toStdString()).empty());
    QCOMPARE(contents(vm.filePath(QStringLiteral("drop_caches"))), QByteArray("3\n"));
}

void TestPurgeHelper::missingDropCachesIsAFailure()
{
    QTemporaryDir vm;
    touchFile(vm.filePath(QStringLiteral("compact_memory")));
    const std::vector<std::string> failures = runPurge({ 3, true }, vm.path().toStdString());
    QCOMPARE(int(failures.size()), 1);
    QVERIFY(QString::fromStdString(failures.front()).contains(QLatin1String("drop_caches")));
    // Compaction is still asked for.
    QCOMPARE(contents(vm.filePath(QStringLiteral("compact_memory"))), QByteArray("1\n"));
}

void TestPurgeHelper::helperRefusesStrayArguments()
{
    QProcess helper;
    helper.start(QStringLiteral(KALVOREN_PURGE_EXE), { QStringLiteral("/tmp/some-file") });
    QVERIFY(helper.waitForFinished(10000));
    QCOMPARE(helper.exitCode(), 2);
    QVERIFY(helper.readAllStandardError().contains("unexpected argument"));
}

void TestPurgeHelper::launchByPrivilege()
{
    const QString besides = QStringLiteral("/build/kalvoren-purge");
    const QString installed = QStringLiteral("/usr/libexec/kalvoren-purge");
    PurgeLaunch launch = purgeLaunch(true, PurgeElevation::None, besides, installed);
    QCOMPARE(launch.program, besides);
    // Dropping the page cache is what an optimization waits for; compaction is left out.
    QCOMPARE(launch.arguments, QStringList { QStringLiteral("--no-compact") });

    launch = purgeLaunch(false, PurgeElevation::None, besides, installed);
    QVERIFY(launch.program.isEmpty());
    QVERIFY(launch.skipReason.contains(QLatin1String("purgeWithPkexec")));

    // pkexec only ever runs the installed helper, the one the polkit action names.
    launch = purgeLaunch(false, PurgeElevation::Pkexec, besides, installed);
    QCOMPARE(launch.program, QStringLiteral("pkexec"));
    QCOMPARE(launch.arguments, (QStringList { installed, QStringLiteral("--no-compact") }));
}

void TestPurgeHelper::platformRunsTheHelperAndReportsItsFailure()
{
    if (::geteuid() != 0)
        QSKIP("the helper is started directly only for root; the launch table covers others");
    QTemporaryDir dir;
    LinuxPlatform platform;
    const QString marker = dir.filePath(QStringLiteral("ran"));
    platform.setPurgeHelper(writeScript(dir, QStringLiteral("good"),
                                        "touch '" + marker.toLocal8Bit() + "'\n"));
    PurgeResult result = platform.purge(PurgeElevation::None);
    QCOMPARE(result.outcome, PurgeOutcome::Done);
    QVERIFY(QFile::exists(marker));

    platform.setPurgeHelper(writeScript(dir, QStringLiteral("bad"),
                                        "echo 'cannot write drop_caches' >&2\nexit 1\n"));
    result = platform.purge(PurgeElevation::None);
    QCOMPARE(result.outcome, PurgeOutcome::Failed);
    QVERIFY(result.message.contains(QLatin1String("cannot write drop_caches")));

    // Ctrl-C in the terminal reaches the helper too: a cancel, not a failure that takes
    // SIGINT's number for an exit code (2, the helper's usage error).
    platform.setPurgeHelper(writeScript(dir, QStringLiteral("interrupted"), "kill -INT $$\n"));
    result = platform.purge(PurgeElevation::None);
    QCOMPARE(result.outcome, PurgeOutcome::Skipped);
    QVERIFY2(result.message.contains(QLatin1String("cancelled")), qPrintable(result.message));

    platform.setPurgeHelper(dir.filePath(QStringLiteral("absent")));
    result = platform.purge(PurgeElevation::None);
    QCOMPARE(result.outcome, PurgeOutcome::Failed);
}

QTEST_GUILESS_MAIN(TestPurgeHelper)
#include "tst_purgehelper.moc"
