#include "SessionServices.h"

#include "Cli.h"

#include <QFile>
#include <QFileInfo>
#include <QLibrary>

namespace Kalvoren::Session {
namespace {

using OptimizeFunction = std::optional<int> (*)(const CliContext &);
using CloseFunction = ProcessActionResult (*)(qint64);

// Resolves a function of the module, loading it the first time; null (with a line on the
// log) when it cannot be had.
QFunctionPointer resolve(const char *symbol)
{
    static QLibrary library(modulePath());
    if (!library.isLoaded() && !library.load()) {
        qWarning("kalvoren: cannot load %s: %s", qUtf8Printable(library.fileName()),
                 qUtf8Printable(library.errorString()));
        return nullptr;
    }
    return library.resolve(symbol);
}

} // namespace

QString modulePath()
{
    const QString self = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
    const QString beside = QFileInfo(self).absolutePath() + QLatin1String("/kalvoren-session.so");
    if (!self.isEmpty() && QFileInfo::exists(beside))
        return beside;
    return QStringLiteral(KALVOREN_SESSION_MODULE);
}

std::optional<int> optimizeInRunningInstance(const CliContext &context)
{
    const auto function =
            reinterpret_cast<OptimizeFunction>(resolve("kalvorenOptimizeInRunningInstance"));
    return function ? function(context) : std::nullopt;
}

ProcessActionResult closeWindowsOfProcess(qint64 pid)
{
    const auto function = reinterpret_cast<CloseFunction>(resolve("kalvorenCloseWindows"));
    if (!function)
        return processActionResult(ProcessActionStatus::Unavailable,
                                   Cli::tr("Cannot ask process %1 to quit: the session "
                                           "module is not installed. Use Force Quit.")
                                           .arg(pid));
    return function(pid);
}

} // namespace Kalvoren::Session
