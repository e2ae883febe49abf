#include "InterruptGuard.h"

namespace Kalvoren {
namespace {

std::atomic<bool> interruptedFlag { false };
std::atomic<std::atomic<bool> *> alsoSetFlag { nullptr };
static_assert(std::atomic<bool>::is_always_lock_free);
static_assert(std::atomic<std::atomic<bool> *>::is_always_lock_free);

void onInterrupt(int)
{
    interruptedFlag.store(true);
    if (std::atomic<bool> *flag = alsoSetFlag.load())
        flag->store(true);
}

} // namespace

InterruptGuard::InterruptGuard(std::atomic<bool> *alsoSet)
{
    interruptedFlag.store(false);
    alsoSetFlag.store(alsoSet);
    struct sigaction action = {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND;
    sigaction(SIGINT, &action, &m_previous);
}

InterruptGuard::~InterruptGuard()
{
    sigaction(SIGINT, &m_previous, nullptr);
    alsoSetFlag.store(nullptr);
}

const std::atomic<bool> &InterruptGuard::interrupted()
{
    return interruptedFlag;
}

} // namespace Kalvoren
