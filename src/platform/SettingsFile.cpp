#include "SettingsFile.h"

#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <sys/stat.h>

namespace Kalvoren {

QString refuseIrregularSettingsFile(const QString &organization, const QString &application)
{
    // Where QSettings puts user settings in INI format, its only format on Linux.
    const QString config =
            QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    const QString candidates[] = {
        config + QLatin1Char('/') + organization + QLatin1Char('/') + application
                + QLatin1String(".conf"),
        config + QLatin1Char('/') + organization + QLatin1String(".conf"),
    };
    for (const QString &path : candidates) {
        struct stat info;
        // stat() follows a link without opening anything; a missing file is fine.
        if (::stat(QFile::encodeName(path).constData(), &info) != 0 || S_ISREG(info.st_mode))
            continue;
        qWarning("kalvoren: %s is not a regular file; settings are neither read nor kept "
                 "this time",
                 qUtf8Printable(path));
        // Lives until the program ends: settings changed in this run are kept there meanwhile.
        static QTemporaryDir scratch;
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, scratch.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, scratch.path());
        return path;
    }
    return QString();
}

} // namespace Kalvoren
