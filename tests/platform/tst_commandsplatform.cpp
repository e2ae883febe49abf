#include "platform/Platform.h"
#include "stats/MemoryFigures.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Kalvoren;

// The "commands" platform runs the system's own tools; here stand-in scripts on PATH play them.
class tst_CommandsPlatform : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void readsVmStatFromPath();
    void missingCommandGivesAnEmptyTextAndAReason();

private:
    QTemporaryDir m_bin;
    QByteArray m_path;
};

void tst_CommandsPlatform::initTestCase()
{
    QVERIFY(m_bin.isValid());
    m_path = qgetenv("PATH");
}

void tst_CommandsPlatform::readsVmStatFromPath()
{
    QFile script(m_bin.filePath(QStringLiteral("vm_stat")));
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\ncat '" KALVOREN_TEST_DATA "/vm_stat/facter4-macos-intel-4k.txt'\n");
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("PATH", m_bin.path().toLocal8Bit() + ':' + m_path);

    const std::unique_ptr<Platform> platform = createPlatform(PlatformKind::Commands);
    QCOMPARE(platform->name(), QStringLiteral("commands"));
    const std::optional<MemorySample> sample = platform->readMemory();
    qputenv("PATH", m_path);
    QVERIFY(sample);
    QCOMPARE(megabytesText(figuresFromSample(*sample).Free), QStringLiteral("9477.79 MB"));
}

void tst_CommandsPlatform::missingCommandGivesAnEmptyTextAndAReason()
{
    QTemporaryDir empty;
    qputenv("PATH", empty.path().toLocal8Bit());
    const std::unique_ptr<Platform> platform = createPlatform(PlatformKind::Commands);
    PlatformError error;
    const std::optional<MemorySample> sample = platform->readMemory(&error);
    qputenv("PATH", m_path);
    QVERIFY(!sample);
    QCOMPARE(error.kind, PlatformError::Kind::Unreadable);
    QVERIFY(!error.message.isEmpty());
}

QTEST_APPLESS_MAIN(tst_CommandsPlatform)
#include "tst_commandsplatform.moc"
