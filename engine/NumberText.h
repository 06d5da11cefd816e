#pragma once

#include <optional>
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

// What the number list stores for an entry typed or loaded in the base with
// this radix (10, 16, 8 or 2), or nothing when the entry fails that base's
// test. Hexadecimal entries are stored upper-cased.
std::optional<std::string> AcceptedEntry(std::string_view entry, int radix);
// The same test without building the stored text: true exactly when AcceptedEntry gives one.
// It neither allocates nor throws, so file loading can run it over millions of lines.
bool IsAcceptedEntry(std::string_view entry, int radix);

}  // namespace quillora
