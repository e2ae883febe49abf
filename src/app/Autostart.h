#pragma once

#include <QByteArray>
#include <QString>

namespace Kalvoren {

// "Start at login" through the freedesktop autostart directory: a desktop entry in
// $XDG_CONFIG_HOME/autostart, which every desktop session reads at log-in.

// Where the entry lives for this user.
QString autostartEntryPath();

// The entry's text for the program at executablePath, with Exec quoted as desktop entries
// require, so a path with spaces or quotes still starts the right program.
QByteArray autostartEntry(const QString &executablePath);

// True when an entry is there and not switched off with Hidden=true.
bool isStartAtLoginEnabled(const QString &path = autostartEntryPath());

// Writes or removes the entry; false with a readable reason when that fails.
bool setStartAtLogin(bool enabled, const QString &executablePath, QString *error,
                     const QString &path = autostartEntryPath());

} // namespace Kalvoren
