#pragma once

#include <atomic>
#include <csignal>

namespace Kalvoren {

// Catches the first Ctrl-C for a clean cancel while it lives; a second one ends the process
// as usual. Commands that run long work pass interrupted() to it as the cancel flag, which the
// work reads at its next step.
class InterruptGuard
{
public:
    // alsoSet, when given, is raised with interrupted(): a cancel flag the work reads itself.
    explicit InterruptGuard(std::atomic<bool> *alsoSet = nullptr);
    ~InterruptGuard();
    InterruptGuard(const InterruptGuard &) = delete;
    InterruptGuard &operator=(const InterruptGuard &) = delete;

    // Set by the SIGINT handler; lock-free, so the handler may store to it.
    static const std::atomic<bool> &interrupted();

private:
    struct sigaction m_previous = {};
};

} // namespace Kalvoren
