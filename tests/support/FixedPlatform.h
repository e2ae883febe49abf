#pragma once

#include "VmStatText.h"
#include "platform/Platform.h"
#include "platform/commands/VmStatText.h"

#include <memory>

namespace Kalvoren {

// A platform whose vm_stat text the test sets; the sample is what the eight-group pattern
// reads from it (none when it does not match).
class FixedPlatform : public Platform
{
public:
    struct Pages
    {
        qint64 free = 0;
        qint64 active = 0;
        qint64 inactive = 0;
        qint64 wired = 0;
    };

    // Shared with the test, which keeps a pointer after handing the platform over.
    struct State
    {
        QString text;
    };

    explicit FixedPlatform(std::shared_ptr<State> state)
        : m_state(std::move(state))
    {
    }

    static QString vmStat(const Pages &p)
    {
        return ::vmStatText(p.free, p.active, p.inactive, p.wired, 100, 5);
    }

    QString name() const override { return QStringLiteral("fixed"); }
    double frameworkVersion() const override { return 1038; }
    std::optional<MemorySample> readMemory(PlatformError *error) override
    {
        std::optional<MemorySample> sample =
                sampleFromVmStat(m_state->text, VmStatPattern::EightGroups);
        if (!sample)
            return readingFailed<MemorySample>(error, PlatformError::Kind::UnexpectedText,
                                               QStringLiteral("no match"));
        return sample;
    }

private:
    std::shared_ptr<State> m_state;
};

} // namespace Kalvoren
