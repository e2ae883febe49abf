#pragma once

#include <QUrl>

class QSettings;

namespace Kalvoren {

// Where the home page and feedback mail go unless the settings say otherwise
// ("homePage", "feedbackAddress").
inline constexpr char defaultHomePage[] = "https://kalvoren.example.org/";
inline constexpr char defaultFeedbackAddress[] = "feedback@kalvoren.example.org";

// The home page from the settings; an address that is not an http or https URL falls back
// to the default, so a stray setting cannot make the menu start some other program.
QUrl homePageUrl(const QSettings &settings);

// mailto:ADDRESS?subject=Kalvoren%20feedback&body= with the configured address. An address
// that is not a plain one (no '@', or spaces, '?', '&', '#', ':' or '/' in it) falls back to
// the default, so the setting cannot add recipients, headers or a body of its own.
QUrl feedbackMailUrl(const QSettings &settings);

} // namespace Kalvoren
