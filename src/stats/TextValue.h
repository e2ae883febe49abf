#pragma once

#include <QStringView>

namespace Kalvoren {

// How a text field reads as a number: the leading number of the text, ignoring what follows
// ("100 rows" reads 100), 0 when there is none. Controls are read this way so that an empty or
// mistyped entry gives 0 instead of an error.

// Leading whitespace, an optional sign and decimal digits; clamped to the int range.
int intValue(QStringView text);

} // namespace Kalvoren
