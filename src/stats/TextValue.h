#pragma once

#include <QStringView>

namespace Kalvoren {

// How a text field reads as a number: the leading number of the text, ignoring what follows
// ("1234.56 MB" reads 1234.56), 0 when there is none. Controls and log rows are read this way
// so that an empty or mistyped entry gives 0 instead of an error.

// Leading whitespace, an optional sign and decimal digits; clamped to the int range.
int intValue(QStringView text);

// Leading whitespace, then a decimal number with optional fraction and exponent.
float floatValue(QStringView text);

} // namespace Kalvoren
