#pragma once

#include <QString>

namespace Kalvoren {

// QSettings opens its files and reads them to the end as soon as it is made: a FIFO there
// blocks the program for good, and a device file can feed it without end. Call this before
// any QSettings is made. It looks at the user's settings files of organization/application
// (CONFIG/ORGANIZATION/APPLICATION.conf and CONFIG/ORGANIZATION.conf) without opening them;
// when one is there but is not a regular file (or a link to one), it logs one line and points
// this run's user settings at an empty scratch folder, so that file is never opened. Returns
// the refused path, empty when there was none.
QString refuseIrregularSettingsFile(const QString &organization, const QString &application);

} // namespace Kalvoren
