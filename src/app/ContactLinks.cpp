#include "ContactLinks.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>

namespace Kalvoren {

QString installedDocumentationDir()
{
    return QStringLiteral(KALVOREN_INSTALL_DOCDIR);
}

QUrl homePageUrl(const QSettings &settings, const QString &documentationDir)
{
    const QUrl url(settings.value(QStringLiteral("homePage")).toString().trimmed(),
                   QUrl::StrictMode);
    if (url.isValid() && !url.host().isEmpty()
        && (url.scheme() == QLatin1String("https") || url.scheme() == QLatin1String("http")))
        return url;
    if (QFileInfo(documentationDir).isDir())
        return QUrl::fromLocalFile(documentationDir);
    return QUrl();
}

QUrl feedbackMailUrl(const QSettings &settings)
{
    static const QRegularExpression plainAddress(
            QStringLiteral("^[^@\\s?&#:/%,;<>\"]+@[^@\\s?&#:/%,;<>\"]+$"));
    const QString address = settings.value(QStringLiteral("feedbackAddress")).toString().trimmed();
    if (!plainAddress.match(address).hasMatch())
        return QUrl();
    return QUrl(QStringLiteral("mailto:%1?subject=Kalvoren%20feedback&body=").arg(address),
                QUrl::StrictMode);
}

} // namespace Kalvoren
