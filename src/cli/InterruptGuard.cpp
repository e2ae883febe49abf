#include "InterruptGuard.h"

namespace Kalvoren {
namespace {

std::atomic<bool> interruptedFlag { false };
static_assert(std::atomic<bool>::is_always_lock_free);

void onInterrupt(int)
{
    interruptedFlag.store(true);
}

} // namespace

InterruptGuard::InterruptGuard()
{
    interruptedFlag.store(false);
    struct sigaction action = {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND;
    sigaction(SIGINT, &action, &m_previous);
}

InterruptGuard::~InterruptGuard()
{
    sigaction(SIGINT, &m_previous, nullptr);
}

const std::atomic<bool> &InterruptGuard::interrupted()
{
    return interruptedFlag;
}

} // namespace Kalvoren
