#pragma once

#include <string>
#include <string_view>

// Character-level helpers shared by the engine's sources (not part of its interface).
namespace quillora::detail {

// Digit value of a character: "0"-"9" are 0-9, letters of either case 10-35, anything else 0,
// so a stray character reads as a zero digit, as it always has.
constexpr unsigned DigitValue(char c) {
    if (c >= '0' && c <= '9')
        return static_cast<unsigned>(c - '0');
    if (c >= 'A' && c <= 'Z')
        return static_cast<unsigned>(c - 'A') + 10;
    if (c >= 'a' && c <= 'z')
        return static_cast<unsigned>(c - 'a') + 10;
    return 0;
}

constexpr char DigitChar(unsigned v) {
    return static_cast<char>(v < 10 ? '0' + v : 'A' + (v - 10));
}

constexpr bool IsDecimalDigit(char c) {
    return c >= '0' && c <= '9';
}
constexpr bool IsHexDigit(char c) {
    return IsDecimalDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}
constexpr bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
constexpr char UpperAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
}

// Inline, like the base tests below: every conversion starts with them, and a short one
// takes not much longer than the calls would.
inline std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}
// Fails as RequireBase does for a base outside 2 to 36.
[[noreturn]] void RefuseBase(unsigned base);
// The same test as ParseBase for a base already held as a number.
inline unsigned RequireBase(unsigned base) {
    if (base < 2 || base > 36)
        RefuseBase(base);
    return base;
}
// ParseBase for texts of more than two characters.
unsigned ParseLongBase(std::string_view base);
// A base handed over as decimal text: 2 to 36. "0" fails with "Division by zero" (it is a
// divisor), anything else outside that range with "Type mismatch".
inline unsigned ParseBase(std::string_view base) {
    if (base.size() == 1 && IsDecimalDigit(base[0]))
        return RequireBase(static_cast<unsigned>(base[0] - '0'));
    if (base.size() == 2 && IsDecimalDigit(base[0]) && IsDecimalDigit(base[1]))
        return RequireBase(static_cast<unsigned>((base[0] - '0') * 10 + (base[1] - '0')));
    return ParseLongBase(base);
}
// Throws "Type mismatch" unless every character is a decimal digit.
void RequireDecimalDigits(std::string_view s);
// s without leading characters whose digit value is zero ("0", and stray characters).
std::string_view StripZeroDigits(std::string_view s);

}  // namespace quillora::detail
