#pragma once
// Numbers as the user types and reads them.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vistrel {

// The number at the start of a text: blanks (space, tab, line feed) are
// ignored wherever they stand, the decimal separator is always the point,
// reading stops at the first character that cannot continue the number, and a
// text without a leading number gives 0. An exponent (E or D) is accepted.
double Val(std::string_view text);

// General decimal text: up to 15 significant digits, no trailing zeros, no
// thousands separator, `decimalSeparator` between the whole and the fraction.
// Very large and very small magnitudes use exponent form ("1E+15", "1E-05").
std::string GeneralDecimalText(double value, char decimalSeparator = '.');

// Rounds to the nearest integer, halves to the even neighbour.
double RoundHalfEven(double value);

// Rounds half to even to a 32-bit or 16-bit integer; nothing when the result
// does not fit (or the value is not a number).
std::optional<int32_t> RoundToInt32(double value);
std::optional<int16_t> RoundToInt16(double value);

}  // namespace vistrel
