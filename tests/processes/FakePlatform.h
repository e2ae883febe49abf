#pragma once

#include "platform/Platform.h"
#include "platform/commands/TopText.h"

#include <QMutex>
#include <QStringList>

#include <atomic>

// A platform whose processes the test sets as top text, and that records the quit requests it
// gets.
class FakePlatform : public Kalvoren::Platform
{
public:
    QString name() const override { return QStringLiteral("fake"); }
    double frameworkVersion() const override { return 1038; }
    std::optional<Kalvoren::MemorySample> readMemory(Kalvoren::PlatformError *) override
    {
        return std::nullopt;
    }

    std::optional<QList<Kalvoren::ProcessRow>>
    readProcesses(Kalvoren::PlatformError *error) override
    {
        ++topCalls;
        QMutexLocker locker(&mutex);
        if (text.isEmpty())
            return Kalvoren::readingFailed<QList<Kalvoren::ProcessRow>>(
                    error, Kalvoren::PlatformError::Kind::Unreadable,
                    QStringLiteral("fake top failed"));
        return Kalvoren::processRowsFromTopText(text);
    }
    Kalvoren::ProcessActionResult quitProcess(const QString &pidText) override
    {
        QMutexLocker locker(&mutex);
        requests << QStringLiteral("quit ") + pidText;
        return Kalvoren::processActionResult(quitStatus, QStringLiteral("asked ") + pidText);
    }
    Kalvoren::ProcessActionResult forceQuitProcess(const QString &pidText) override
    {
        QMutexLocker locker(&mutex);
        requests << QStringLiteral("force ") + pidText;
        return Kalvoren::processActionResult(Kalvoren::ProcessActionStatus::NotPermitted,
                                             QStringLiteral("not permitted ") + pidText);
    }

    void setText(const QByteArray &value)
    {
        QMutexLocker locker(&mutex);
        text = value;
    }

    // Top text with the twelve header lines and one line per (pid, command), largest first as
    // top sorts it: the last line has 1M, the one before 2M, and so on.
    static QByteArray topWith(const QList<std::pair<int, QByteArray>> &rows)
    {
        QByteArray out;
        for (int i = 0; i < 10; ++i)
            out += "Summary " + QByteArray::number(i) + "\n";
        out += "\nPID RSIZE %CPU COMMAND\n";
        qsizetype size = rows.size();
        for (const auto &[pid, command] : rows)
            out += QByteArray::number(pid) + "  " + QByteArray::number(size--) + "M  0.0  "
                    + command + "\n";
        return out;
    }
    static QByteArray topWithCount(int processLines, int firstPid = 100)
    {
        QList<std::pair<int, QByteArray>> rows;
        for (int i = 0; i < processLines; ++i)
            rows.append({ firstPid + i, "proc" + QByteArray::number(firstPid + i) });
        return topWith(rows);
    }

    QMutex mutex;
    QByteArray text;
    QStringList requests;
    Kalvoren::ProcessActionStatus quitStatus = Kalvoren::ProcessActionStatus::Done;
    std::atomic<int> topCalls { 0 };
};
