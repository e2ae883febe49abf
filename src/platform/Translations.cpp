#include "Translations.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <clocale>

namespace Kalvoren {

QString translationsDirectory()
{
    const QString beside = QCoreApplication::applicationDirPath() + QLatin1String("/translations");
    if (QFileInfo(beside).isDir())
        return beside;
    return QStringLiteral(KALVOREN_INSTALL_TRANSLATIONSDIR);
}

QString applyUserLanguage(QCoreApplication *application, const QString &directory)
{
    std::setlocale(LC_NUMERIC, "C");

    auto *own = new QTranslator(application);
    if (!own->load(QLocale(), QStringLiteral("kalvoren"), QStringLiteral("_"), directory)) {
        delete own;
        return QString();
    }
    QCoreApplication::installTranslator(own);
    // Qt's texts in the language Kalvoren's came in, not in one further down the list: a
    // window half in one language and half in another reads worse than one in English.
    const QString language = own->language();
    auto *qt = new QTranslator(application);
    if (qt->load(QLocale(language), QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qt);
    else
        delete qt;
    return language;
}

} // namespace Kalvoren
