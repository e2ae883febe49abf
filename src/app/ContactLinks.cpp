#include "ContactLinks.h"

#include <QRegularExpression>
#include <QSettings>

namespace Kalvoren {

QUrl homePageUrl(const QSettings &settings)
{
    const QUrl url(settings.value(QStringLiteral("homePage")).toString().trimmed(),
                   QUrl::StrictMode);
    if (url.isValid() && !url.host().isEmpty()
        && (url.scheme() == QLatin1String("https") || url.scheme() == QLatin1String("http")))
        return url;
    return QUrl(QLatin1String(defaultHomePage));
}

QUrl feedbackMailUrl(const QSettings &settings)
{
    static const QRegularExpression plainAddress(
            QStringLiteral("^[^@\\s?&#:/%,;<>\"]+@[^@\\s?&#:/%,;<>\"]+$"));
    QString address = settings.value(QStringLiteral("feedbackAddress")).toString().trimmed();
    if (!plainAddress.match(address).hasMatch())
        address = QLatin1String(defaultFeedbackAddress);
    return QUrl(QStringLiteral("mailto:%1?subject=Kalvoren%20feedback&body=").arg(address),
                QUrl::StrictMode);
}

} // namespace Kalvoren
