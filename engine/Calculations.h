#pragma once

#include <string>
#include <string_view>

// Arithmetic on non-negative whole numbers of any length held as decimal digit
// strings ("0" to "9", most significant first; the empty text reads as zero).
// Results are normalised except where a routine says otherwise.
namespace quillora {

// a + b. k is the chunk width (1 to 15) the operands are added in.
std::string AddDecimalStrings(std::string_view a, std::string_view b, int k);
// p * d for one decimal digit d; the empty text when d is "0".
std::string MultiplyByDigit(std::string_view p, std::string_view d);
// p * q (q not empty); a one-digit q gives MultiplyByDigit's result unchanged.
std::string MultiplyDecimalStrings(std::string_view p, std::string_view q);
// p to the power e; "1" when e is below 1.
std::string PowerDecimalString(std::string_view p, std::string_view e);
// Whole quotient p / d for a small divisor d (decimal text of a positive 32-bit value).
std::string DivideDecimalString(std::string_view p, std::string_view d);
// p mod d for a small divisor d.
std::string RemainderDecimalString(std::string_view p, std::string_view d);
// s left-padded with "0" to length n; the empty text when s is already longer.
std::string PadLeftZeros(std::string_view s, long long n);
// s without its leading run of c; with keepOne, c itself when nothing is left.
std::string TrimLeadingChar(std::string_view s, char c, bool keepOne);
// True when every character is "0" (and for the empty text).
bool IsAllZeros(std::string_view s);
// The smallest multiple of k not below x.
double CeilToMultiple(double x, int k);
double MaxOfTwo(double x, double y);
std::string ReverseString(std::string_view s);

}  // namespace quillora
