#pragma once

#include <string>
#include <string_view>

// Decimal text to a double and back, "." as the decimal point in every locale.
namespace quillora {

// The numeric test: true exactly when TextToNumber succeeds.
bool IsNumeric(std::string_view text);
// Blanks around; optional sign; digits with optional "." fraction; optional
// exponent; or "&H" and hexadecimal digits. "Type mismatch" for anything
// else, "Overflow" beyond the double range. Correctly rounded.
double TextToNumber(std::string_view text);
// G-style, 15 significant digits, upper-case exponent of at least two digits;
// negative zero gives "0"; "Infinity", "-Infinity", "NaN".
std::string NumberToText(double value);
}  // namespace quillora
