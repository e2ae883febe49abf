// kalvoren-session.so: the parts of the command line that need the desktop session, loaded
// only by the commands that use them (see SessionServices.h).
#include "InstanceClient.h"
#include "platform/x11/X11WindowCloser.h"

#include <QtGlobal>

extern "C" Q_DECL_EXPORT std::optional<int>
kalvorenOptimizeInRunningInstance(const Kalvoren::CliContext &context)
{
    return Kalvoren::optimizeInRunningInstance(context);
}

extern "C" Q_DECL_EXPORT Kalvoren::ProcessActionResult kalvorenCloseWindows(qint64 pid)
{
    return Kalvoren::closeWindowsOfProcess(pid);
}
