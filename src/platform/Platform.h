#pragma once

#include "platform/MemoryRoom.h"
#include "platform/MemorySample.h"
#include "platform/ProcessAction.h"
#include "platform/ProcessRow.h"

#include <QByteArrayView>
#include <QList>
#include <QString>

#include <memory>
#include <optional>

namespace Kalvoren {

// Why a reading failed. The message is complete on its own, for a log line or the command line.
struct PlatformError
{
    enum class Kind {
        None,
        Unreadable,     // a file or command could not be read or run
        MissingField,   // it was read but lacks a figure that is needed
        UnexpectedText, // a command printed something that does not match its layout
        Unsupported,    // this platform has no such reading
    };
    Kind kind = Kind::None;
    QString message;
};

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

    // The system's memory now. Empty on failure, with the reason in error when given.
    virtual std::optional<MemorySample> readMemory(PlatformError *error = nullptr) = 0;

    // -- optimizer ----------------------------------------------------------------------

    // Makes the system give back what it can (page cache, fragmentation) before a run, then
    // returns. May take seconds. Never throws; a missing or failing tool gives Failed.
    // By default there is nothing to run: Skipped.
    virtual PurgeResult purge(PurgeElevation elevation);

    // The memory that can still be taken safely, read afresh on every call; empty when the
    // system does not say (a system that pages out instead of killing), the default.
    virtual std::optional<MemoryRoom> memoryRoom();

    // -- process monitor ----------------------------------------------------------------

    // Every process, largest resident size first. CPU percentages cover the time since the
    // previous call (0 on the first). Empty on failure, with the reason in error when given;
    // by default the platform has no process list (Unsupported).
    virtual std::optional<QList<ProcessRow>> readProcesses(PlatformError *error = nullptr);

    // Politely asks the process whose pid text a table row shows to quit (its windows are
    // asked to close; it may save its work or refuse).
    virtual ProcessActionResult quitProcess(const QString &pidText);

    // Sends the process SIGTERM, which it may catch.
    virtual ProcessActionResult forceQuitProcess(const QString &pidText);
};

enum class PlatformKind { Linux, Commands };

// The platform for this system: Linux unless kind says otherwise.
std::unique_ptr<Platform> createPlatform(PlatformKind kind = PlatformKind::Linux);

// Reads "linux" or "commands"; false when the name is unknown.
bool platformKindFromName(const QString &name, PlatformKind *kind);

// A Linux system saved under root (root/proc/..., root/sys/...), as support tools copy it.
std::unique_ptr<Platform> savedSystemPlatform(const QString &root);

// A saved /proc/meminfo text as a sample, in pages of this machine's size. Empty with the
// reason in error when the text lacks a needed field.
std::optional<MemorySample> sampleFromSavedMemInfo(QByteArrayView text, QString *error);

// Sets error (when given) and returns an empty result, for the readers' failure paths.
template<typename T>
std::optional<T> readingFailed(PlatformError *error, PlatformError::Kind kind,
                               const QString &message)
{
    if (error)
        *error = { kind, message };
    return std::nullopt;
}

} // namespace Kalvoren
