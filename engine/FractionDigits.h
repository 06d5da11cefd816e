#pragma once

#include <string>
#include <string_view>

// The fraction part of a change of base: exact into base 10 when the source fraction ends
// there, otherwise rounded half-up to the significant digits that carry 15 decimal digits.
namespace quillora::detail {

// Digits the target base keeps of an unending (or overlong) fraction: 50 for base 2,
// 17 for base 8, 13 for base 16, 15 for base 10.
unsigned SignificantDigitsFor(unsigned base);

// whole is the value's whole part, already written in base to; fraction holds the digits
// after the point in base from. Returns whole and fraction digits in base to, joined by "."
// (no "." when no fraction digit is left; a rounding carry may raise the whole part).
std::string AppendFraction(std::string whole, std::string_view fraction, unsigned from,
                           unsigned to);

}  // namespace quillora::detail
