#pragma once

#include <QByteArray>
#include <QString>

namespace Kalvoren {

// Replaces the file at path with bytes all at once: written to a temporary file beside it,
// which is renamed over the old one only when every byte is on the disk. False with
// "Cannot write PATH: REASON" in error otherwise (a full disk included); the old file, if
// any, is then left as it was.
bool saveFileAtomically(const QString &path, const QByteArray &bytes, QString *error);

} // namespace Kalvoren
