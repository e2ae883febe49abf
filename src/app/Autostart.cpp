#include "Autostart.h"

#include "platform/SaveFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace Kalvoren {
namespace {

struct Autostart
{
    Q_DECLARE_TR_FUNCTIONS(Kalvoren::Autostart)
};

// Exec quoting as freedesktop.org desktop entries ask: an argument with reserved characters
// goes in double quotes with ", `, $ and \ escaped by a backslash; then, since Exec is a
// string value, every backslash is escaped once more.
QString quotedExecArgument(const QString &argument)
{
    static const QString plain = QStringLiteral(
            "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789/._+-,@");
    bool needsQuotes = argument.isEmpty();
    for (const QChar c : argument)
        needsQuotes = needsQuotes || !plain.contains(c);
    QString result = argument;
    if (needsQuotes) {
        QString quoted;
        for (const QChar c : argument) {
            if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$')
                || c == QLatin1Char('\\'))
                quoted += QLatin1Char('\\');
            quoted += c;
        }
        result = QLatin1Char('"') + quoted + QLatin1Char('"');
    }
    result.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    // A percent sign would start a field code.
    result.replace(QLatin1Char('%'), QLatin1String("%%"));
    // Line breaks cannot stand in a desktop entry value.
    result.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    return result;
}

} // namespace

QString autostartEntryPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
            + QStringLiteral("/autostart/kalvoren.desktop");
}

QByteArray autostartEntry(const QString &executablePath)
{
    QString text = QStringLiteral("[Desktop Entry]\n"
                                  "Type=Application\n"
                                  "Name=Kalvoren\n"
                                  "Comment=Memory use in the tray\n"
                                  "Icon=kalvoren\n"
                                  "Exec=%1\n"
                                  "Terminal=false\n"
                                  "X-GNOME-Autostart-enabled=true\n")
                           .arg(quotedExecArgument(executablePath));
    return text.toUtf8();
}

bool isStartAtLoginEnabled(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.trimmed() == "Hidden=true")
            return false;
    }
    return true;
}

bool setStartAtLogin(bool enabled, const QString &executablePath, QString *error,
                     const QString &path)
{
    if (!enabled) {
        if (!QFileInfo::exists(path) || QFile::remove(path))
            return true;
        *error = Autostart::tr("Cannot remove %1.").arg(path);
        return false;
    }
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        *error = Autostart::tr("Cannot create the folder %1.")
                         .arg(QFileInfo(path).absolutePath());
        return false;
    }
    return saveFileAtomically(path, autostartEntry(executablePath), error);
}

} // namespace Kalvoren
