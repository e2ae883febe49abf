#pragma once

#include "VmStatText.h"
#include "platform/Platform.h"

#include <QString>

#include <optional>

// A platform for tests: the memory figures and the available memory are whatever the test
// sets, laid out as vm_stat text with 4096-byte pages.
class FakePlatform : public Kalvoren::Platform
{
public:
    QString name() const override { return QStringLiteral("fake"); }
    double frameworkVersion() const override { return 1038.0; }
    QString vmStatText(QString *error = nullptr) override
    {
        if (failing) {
            if (error)
                *error = QStringLiteral("fake failure");
            return QString(QLatin1String(""));
        }
        return ::vmStatText(freeBytes / 4096, activeBytes / 4096, inactiveBytes / 4096,
                            wiredBytes / 4096);
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
