#pragma once
// Conversions between the texts of the settings file and the values they hold.
// The decimal separator is always ".", whatever the locale.

#include <QString>
#include <cstdint>
#include <optional>

namespace honura::convert {

// A decimal number (blanks around it, optional sign, optional fraction)
// rounded to the nearest integer, halves to the even neighbour: "10.5" gives
// 10, "11.5" gives 12, "-2.5" gives -2. Nothing when the text is not such a
// number or the result lies outside the 32-bit signed range.
std::optional<std::int32_t> toInt32(QStringView text);

// "True" or "False" in any letter case, or a decimal number: zero is false,
// any other number true. Nothing for other texts.
std::optional<bool> toBoolean(QStringView text);

// "True" or "False".
QString booleanText(bool value);

// A font size to seven significant digits, without trailing zeros and without a
// point for a whole number: 15.75, 12, 10.5.
QString fontSizeText(double points);

} // namespace honura::convert
