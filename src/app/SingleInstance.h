#pragma once

#include <QDBusConnection>
#include <QString>

#include <optional>

class MyApplication;

namespace Kalvoren {

enum class InstanceRole {
    First,      // this process now owns org.kalvoren.Kalvoren and answers its calls
    Second,     // another Kalvoren owns the name; this one should hand over and exit
    Standalone, // no bus, or the bus refused: run without the scripting interface
};

// Exports app on bus (object /org/kalvoren/Kalvoren, through the generated adaptor) and
// claims the well-known name. The name is claimed without queueing, so of two programs
// started at once exactly one is First. message says why for Standalone.
InstanceRole registerInstance(MyApplication *app, QDBusConnection bus, QString *message);

// What a second start does: asks the first to show its window and returns the exit status,
// 0 when the first answered. When the first has just quit, claims the name again instead and
// returns nothing: the program goes on as *role says (First or Standalone).
std::optional<int> handOverToRunningInstance(MyApplication *app, QDBusConnection bus,
                                             InstanceRole *role, QString *message);

} // namespace Kalvoren
