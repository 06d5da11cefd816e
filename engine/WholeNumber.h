#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Whole numbers of any size in binary machine words, and their digit texts in bases 2 to 36.
// This is the working form behind every change of base: digit texts are read Horner-style,
// a machine word of source digits at a time, and written by dividing out a machine word of
// target digits at a time (or by regrouping bits between power-of-two bases).
namespace quillora::detail {

// Least significant word first, no zero words at the top (zero is the empty vector).
using Words = std::vector<std::uint64_t>;

// Value of a digit text read digit by digit (stray characters are zero digits, digits
// beyond the base count at their face value).
Words ReadDigits(std::string_view digits, unsigned base);
// Digits of value in base, upper-case letters, "0" for zero.
std::string WriteDigits(Words value, unsigned base);
// True when the value does not round to a finite double (it is at least 2^1024 - 2^970).
bool BeyondDoubleRange(const Words& value);
// The digits of a whole digit text in another base. With checkRange, a value beyond the
// double range fails with "Overflow". Fast paths for values that fit one machine word and
// for plain decimal to decimal.
std::string ConvertWhole(std::string_view digits, unsigned from, unsigned to, bool checkRange);

}  // namespace quillora::detail
