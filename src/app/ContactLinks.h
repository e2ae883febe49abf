#pragma once

#include <QString>
#include <QUrl>

class QSettings;

namespace Kalvoren {

// The folder the package installs the documentation to (README, copyright, changelog).
QString installedDocumentationDir();

// What Home Page opens: the "homePage" setting when it is an http or https URL, so that a
// stray setting cannot make the menu start some other program; otherwise the documentation
// folder when it exists; otherwise nothing (an empty URL: the item is hidden).
QUrl homePageUrl(const QSettings &settings,
                 const QString &documentationDir = installedDocumentationDir());

// mailto:ADDRESS?subject=Kalvoren%20feedback&body= for the "feedbackAddress" setting, or an
// empty URL (the item is hidden) when none is set or it is not a plain address (no '@', or
// spaces, '?', '&', '#', ':' or '/' in it), so the setting cannot add recipients, headers or
// a body of its own.
QUrl feedbackMailUrl(const QSettings &settings);

} // namespace Kalvoren
