#pragma once

#include <QString>

#include <optional>

namespace Kalvoren {

// What became of a quit or force quit. Every failure has its own value so that the window can
// say what happened instead of swallowing it.
enum class ProcessActionStatus {
    Done,          // the request was delivered (windows asked to close, signal sent)
    InvalidPid,    // not a pid we may act on: not digits, 0 or 1, or Kalvoren itself
    NoSuchProcess, // the process has ended (ESRCH)
    NotPermitted,  // it belongs to someone else (EPERM)
    NoWindow,      // nothing to ask politely: the process shows no window
    Unavailable,   // no window system to ask
    Failed,        // anything else; the message says what
};

struct ProcessActionResult
{
    ProcessActionStatus status = ProcessActionStatus::Failed;
    QString message; // for the user, complete on its own

    bool ok() const { return status == ProcessActionStatus::Done; }
};

ProcessActionResult processActionResult(ProcessActionStatus status, const QString &message);

// The pid text that the quit actions use: a text holding "-" anywhere loses its last
// character ("123-" -> "123", "12-3" -> "12-"); any other text is used unchanged.
QString pidTextForAction(const QString &pidText);

// The pid in text when it is one we may signal: ASCII digits only, greater than 1, not ownPid
// and not beyond the kernel's pid range.
std::optional<qint64> validatedPid(QStringView text, qint64 ownPid);

// text as one word for /bin/sh: in single quotes, each embedded ' written as '\''.
QString shellQuoted(const QString &text);

// The result of kill(2)/a failed call as an action result (ESRCH, EPERM and the rest).
ProcessActionResult resultFromErrno(int error, qint64 pid);

} // namespace Kalvoren

#include <functional>

namespace Kalvoren {

// Asks the top-level windows of a (validated, running) process to close. The window system
// code lives outside the core library; the program installs its closer at start-up.
using WindowCloser = std::function<ProcessActionResult(qint64 pid)>;

// The closer that platforms created from now on use; empty when none was installed.
void setDefaultWindowCloser(WindowCloser closer);
WindowCloser defaultWindowCloser();

} // namespace Kalvoren
