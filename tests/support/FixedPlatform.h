#pragma once

#include "platform/Platform.h"

#include <memory>

namespace Kalvoren {

// A platform whose vm_stat text the test sets; the figures follow from the page counts.
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
        return QStringLiteral("Mach Virtual Memory Statistics: (page size of 4096 bytes)\n"
                              "Pages free:                    %1.\n"
                              "Pages active:                  %2.\n"
                              "Pages inactive:                %3.\n"
                              "Pages speculative:             0.\n"
                              "Pages wired down:              %4.\n"
                              "Pageins:                       100.\n"
                              "Pageouts:                      5.\n")
                .arg(p.free)
                .arg(p.active)
                .arg(p.inactive)
                .arg(p.wired);
    }

    QString name() const override { return QStringLiteral("fixed"); }
    double frameworkVersion() const override { return 1038; }
    QString vmStatText(QString *) override { return m_state->text; }

private:
    std::shared_ptr<State> m_state;
};

} // namespace Kalvoren
