#pragma once

#include <string>
#include <string_view>

// Conversion of digit texts between bases (2 to 36, given as decimal text): the whole part
// exactly, as a binary whole number (WholeNumber.h), the fraction through decimal digits
// (FractionDigits.h).
namespace quillora {

// value's digits in toBase. Handles a leading "-", a "." fraction and, from
// base "10", an exponent form. Fails with "Overflow" when the whole part is
// beyond the double range.
std::string ConvertNumber(std::string_view value, std::string_view fromBase,
                          std::string_view toBase);
// The same for callers that hold the bases as whole numbers (2 to 36, failing
// as the texts would otherwise): nothing is written out as text to be read back.
std::string ConvertNumber(std::string_view value, unsigned fromBase, unsigned toBase);
// Decimal digit string of the unsigned digit text s.
std::string BaseToDecimal(std::string_view s, std::string_view base);
// Digit text of the decimal digit string d in base (upper-case letters).
std::string DecimalToBase(std::string_view d, std::string_view base);
// "0"-"9" give 0-9, letters of either case 10-35, anything else 0.
double CharToDigit(char c);
// 0-35 give "0"-"9", "A"-"Z"; above 35 the empty text.
std::string DigitToChar(double v);

}  // namespace quillora
