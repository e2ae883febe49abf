#pragma once

#include <QString>

class QCoreApplication;

namespace Kalvoren {

// The folder with Kalvoren's translations (kalvoren_<language>.qm): "translations" beside the
// executable in a build tree, else the installed share/kalvoren/translations. Call after the
// application object is made.
QString translationsDirectory();

// Shows application's texts in the user's language: the first of the languages the
// environment asks for (LANGUAGE, else LC_ALL, LC_MESSAGES or LANG, as QLocale::uiLanguages
// reads them; no system locale needs to be installed) that directory has a translation for,
// and Qt's own texts (buttons, file dialogs) in that same language where Qt's translations
// are installed. Without one the texts stay English. Returns the language loaded ("de_DE"),
// or an empty string.
//
// It also puts the C library's numbers back to the "C" locale (LC_NUMERIC): the application
// object has taken every category from the environment, and in a German locale strtod()
// reads /proc/uptime's "4711.25" as 4711 and printf() writes a comma. Kalvoren's texts keep
// the point.
QString applyUserLanguage(QCoreApplication *application,
                          const QString &directory = translationsDirectory());

} // namespace Kalvoren
