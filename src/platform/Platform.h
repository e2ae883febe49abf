#pragma once

#include "platform/MemoryRoom.h"
#include "processes/ProcessAction.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>

namespace Kalvoren {

// What Kalvoren needs from the operating system.
//
// To port Kalvoren, implement every function below in a folder of its own (see linux/ and
// commands/) and return it from createPlatform(). Nothing outside platform/ opens a system
// file or starts a system command. Every function may be called from any thread; an
// implementation keeps whatever state it has safe for that.
class Platform
{
public:
    virtual ~Platform() = default;

    // A short name for messages and --help ("linux", "commands").
    virtual QString name() const = 0;

    // The application framework version that behaviour depends on (949 and 1038 are the
    // thresholds). Modern systems report at least 1038.
    virtual double frameworkVersion() const = 0;

    // The system's memory statistics as vm_stat prints them: a header with the page size
    // ("... (page size of 4096 bytes)") and labelled page counts ending in a full stop.
    // On failure returns an empty string and, when error is given, says why in it.
    virtual QString vmStatText(QString *error = nullptr) = 0;

    // -- optimizer ----------------------------------------------------------------------

    // Makes the system give back what it can (page cache, fragmentation) before a run, then
    // returns. May take seconds. Never throws; a missing or failing tool gives Failed.
    // By default there is nothing to run: Skipped.
    virtual PurgeResult purge(PurgeElevation elevation);

    // The memory that can still be taken safely, read afresh on every call; empty when the
    // system does not say (a system that pages out instead of killing), the default.
    virtual std::optional<MemoryRoom> memoryRoom();

    // -- process monitor ----------------------------------------------------------------

    // The processes as `top -l 1 -o rsize -stats pid,rsize,cpu,command` prints them: twelve
    // lines (summary, a blank line, the column titles), then "pid rsize cpu command" per
    // process, largest resident size first. CPU percentages cover the time since the previous
    // call. On failure returns an empty text and, when error is given, says why in it.
    // The defaults of these three say that the platform has no process list (Unavailable).
    virtual QByteArray topText(QString *error = nullptr);

    // Politely asks the process whose pid text a table row shows to quit (its windows are
    // asked to close; it may save its work or refuse).
    virtual ProcessActionResult quitProcess(const QString &pidText);

    // Sends the process SIGTERM, which it may catch.
    virtual ProcessActionResult forceQuitProcess(const QString &pidText);
};

enum class PlatformKind { Linux, Commands };

// The platform for this system: Linux unless kind says otherwise.
std::unique_ptr<Platform> createPlatform(PlatformKind kind = PlatformKind::Linux);

// Reads "linux" or "commands"; empty when the name is unknown.
bool platformKindFromName(const QString &name, PlatformKind *kind);

} // namespace Kalvoren
