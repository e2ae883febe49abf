#pragma once

#include "platform/Platform.h"

#include <QString>

#include <optional>

// A platform for tests: the memory figures and the available memory are whatever the test
// sets, in 4096-byte pages.
class FakePlatform : public Kalvoren::Platform
{
public:
    QString name() const override { return QStringLiteral("fake"); }
    double frameworkVersion() const override { return 1038.0; }
    std::optional<Kalvoren::MemorySample>
    readMemory(Kalvoren::PlatformError *error = nullptr) override
    {
        if (failing)
            return Kalvoren::readingFailed<Kalvoren::MemorySample>(
                    error, Kalvoren::PlatformError::Kind::Unreadable,
                    QStringLiteral("fake failure"));
        Kalvoren::MemorySample sample;
        sample.freeBytes = freeBytes / 4096 * 4096;
        sample.activeBytes = activeBytes / 4096 * 4096;
        sample.inactiveBytes = inactiveBytes / 4096 * 4096;
        sample.wiredBytes = wiredBytes / 4096 * 4096;
        sample.totalBytes = sample.freeBytes + sample.activeBytes + sample.inactiveBytes
                + sample.wiredBytes;
        sample.availableBytes = availableBytes;
        return sample;
    }
    std::optional<Kalvoren::MemoryRoom> memoryRoom() override
    {
        if (!availableBytes)
            return std::nullopt;
        return Kalvoren::MemoryRoom { *availableBytes, limitBytes, QStringLiteral("memory") };
    }

    quint64 freeBytes = 500ull << 20;
    quint64 inactiveBytes = 500ull << 20;
    quint64 activeBytes = 1000ull << 20;
    quint64 wiredBytes = 200ull << 20;
    std::optional<quint64> availableBytes; // empty: no bound known
    // The size of the binding limit; an eighth of it (at least 32 MiB) is the reserve: 64 MiB.
    quint64 limitBytes = 512ull << 20;
    bool failing = false;
};
