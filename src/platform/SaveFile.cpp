#include "SaveFile.h"

#include "PlatformText.h"

#include <QSaveFile>

#include <cerrno>
#include <cstring>

#include <unistd.h>

namespace Kalvoren {

bool saveFileAtomically(const QString &path, const QByteArray &bytes, QString *error)
{
    QSaveFile file(path);
    auto fail = [&](const QString &reason) {
        *error = PlatformText::tr("Cannot write %1: %2").arg(path, reason);
        file.cancelWriting();
        return false;
    };
    if (!file.open(QIODevice::WriteOnly))
        return fail(file.errorString());
    // A small text stays in QSaveFile's buffer until commit(), and Qt 6.4's commit() does not
    // check the write that empties it: on a full disk (ENOSPC) it renames the empty temporary
    // file over the old one and reports success. So flush and check first; fsync catches what
    // a file system only reports when the data goes to the disk (quotas, network file systems).
    if (file.write(bytes) != bytes.size() || !file.flush())
        return fail(file.errorString());
    if (::fsync(file.handle()) != 0 && errno != EINVAL)
        return fail(QString::fromLocal8Bit(std::strerror(errno)));
    if (!file.commit())
        return fail(file.errorString());
    return true;
}

} // namespace Kalvoren
