#pragma once

#include <QDBusConnection>
#include <QString>

#include <optional>

namespace Kalvoren {

// Where a running Kalvoren answers on the session bus; the desktop program registers these
// names, the command line and the second start of the program call them.
namespace InstanceBus {
inline constexpr char service[] = "org.kalvoren.Kalvoren";
inline constexpr char path[] = "/org/kalvoren/Kalvoren";
inline constexpr char interface[] = "org.kalvoren.Kalvoren";
// The answer to optimize, in every case: started, cancelled or only the notice shown. Scripts
// compare it: it stays as it is in every language.
inline QString optimizeReply() { return QStringLiteral("Kalvoren Optimize Initiated"); }
} // namespace InstanceBus

struct InstanceReply
{
    enum class Status {
        Replied,    // the running instance answered; text holds its reply (may be empty)
        NoInstance, // the bus is there, no Kalvoren on it
        NoBus,      // no session bus to ask
        Failed,     // an instance holds the name but the call failed (timeout, error)
    };
    Status status = Status::NoBus;
    QString text; // the reply, or what went wrong
};

// Calls method (optimize, showWindow) of the Kalvoren running on bus. Never starts one: an
// idle bus that could start Kalvoren on demand answers NoInstance, so the caller decides.
// Blocks for at most timeoutMs.
InstanceReply callRunningInstance(const QString &method,
                                  const QDBusConnection &bus = QDBusConnection::sessionBus(),
                                  int timeoutMs = 10000);

struct CliContext;

// The first step of `kalvoren optimize`: when a Kalvoren runs on the session bus, asks it to
// optimize (as its button would), prints its reply and returns the exit status (1 when it
// holds the name but does not answer: a second run beside a stuck one would take the memory
// twice). Returns nothing when there is no instance or no bus: the run in the terminal follows.
std::optional<int> optimizeInRunningInstance(
        const CliContext &context, const QDBusConnection &bus = QDBusConnection::sessionBus());

} // namespace Kalvoren
