#pragma once
// The captured texts under tests/data, read by name, and files written into a test's own folder.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTest>

namespace KalvorenTest {

// The bytes of tests/data/PATH; a missing file stops the run, as no test means anything then.
inline QByteArray testData(const QString &path)
{
    QFile file(QStringLiteral(KALVOREN_TEST_DATA "/") + path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing test data %s", qPrintable(path));
    return file.readAll();
}

// Writes BYTES to PATH, making the folders on the way; a failure fails the calling test.
inline void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    QCOMPARE(file.write(bytes), bytes.size());
}

} // namespace KalvorenTest
