#include "EntryValidation.h"

#include <algorithm>
#include <array>

#include "DigitText.h"
#include "NumberText.h"

namespace quillora {

using detail::IsDecimalDigit;
using detail::IsHexDigit;

namespace {

// The shape of most list entries: an optional sign, decimal digits and at most one point with
// digits on both sides, no blanks, no exponent. Digits are all the caller's `digit` accepts.
struct PlainShape {
    bool plain = false;           // the text has that shape
    bool signPlus = false;        // it starts with "+"
    bool signMinus = false;       // it starts with "-"
    std::size_t wholeDigits = 0;  // significant digits before the point
};

// Digits are tested through a lambda, which inlines where a function pointer would not.
template <class IsDigit>
PlainShape ShapeOf(std::string_view s, IsDigit digit) {
    PlainShape shape;
    std::size_t i = 0;
    if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
        (s[0] == '+' ? shape.signPlus : shape.signMinus) = true;
        ++i;
    }
    const std::size_t wholeStart = i;
    while (i < s.size() && digit(s[i]))
        ++i;
    const std::size_t wholeEnd = i;
    if (wholeEnd == wholeStart)
        return shape;
    if (i < s.size() && s[i] == '.') {
        const std::size_t fractionStart = ++i;
        while (i < s.size() && digit(s[i]))
            ++i;
        if (i == fractionStart)
            return shape;
    }
    if (i != s.size())
        return shape;
    std::size_t first = wholeStart;
    while (first < wholeEnd && s[first] == '0')
        ++first;
    shape.plain = true;
    shape.wholeDigits = wholeEnd - first;
    return shape;
}

// Below 10^300 no decimal text without an exponent can overflow, so its shape decides.
constexpr std::size_t kSafeWholeDigits = 300;

bool IsOctalDigit(char c) {
    return c >= '0' && c <= '7';
}
bool IsBinaryDigit(char c) {
    return c == '0' || c == '1';
}

constexpr std::array<bool, 256> kHexDigit = [] {
    std::array<bool, 256> table{};
    for (int c = 0; c < 256; ++c)
        table[static_cast<std::size_t>(c)] = IsHexDigit(static_cast<char>(c));
    return table;
}();

// What the hexadecimal test asks of the numeric test: "&H" and the entry, whose trailing
// blanks that test trims away, read as a finite hexadecimal number.
bool IsHexadecimalEntry(std::string_view entry) {
    std::string_view digits = entry;
    while (!digits.empty() && detail::IsBlank(digits.back()))
        digits.remove_suffix(1);
    if (digits.empty())
        return false;
    for (const char c : digits) {
        if (!kHexDigit[static_cast<unsigned char>(c)])
            return false;
    }
    // Fewer than 256 significant digits stay below 2^1020; only longer ones can overflow.
    return digits.size() < 256 ||
           digits.size() - std::min(digits.size(), digits.find_first_not_of('0')) < 256 ||
           IsNumeric("&H" + std::string(entry));
}

bool NumericWithin(std::string_view s, std::string_view allowed) {
    if (!IsNumeric(s) || s.empty())
        return false;
    for (char c : s) {
        if (allowed.find(detail::UpperAscii(c)) == std::string_view::npos)
            return false;
    }
    return true;
}

}  // namespace

bool IsOctalText(std::string_view s) {
    return NumericWithin(s, "01234567.-");
}
bool IsBinaryText(std::string_view s) {
    return NumericWithin(s, "01.-");
}

bool IsAcceptedEntry(std::string_view entry, int radix) {
    switch (radix) {
        case 10: {
            const PlainShape shape = ShapeOf(entry, [](char c) { return IsDecimalDigit(c); });
            if (shape.plain && shape.wholeDigits < kSafeWholeDigits)
                return true;
            return IsNumeric(entry);
        }
        case 16:
            return IsHexadecimalEntry(entry);
        case 8: {
            const PlainShape shape = ShapeOf(entry, [](char c) { return IsOctalDigit(c); });
            if (shape.plain && !shape.signPlus && shape.wholeDigits < kSafeWholeDigits)
                return true;
            return IsOctalText(entry);
        }
        case 2: {
            const PlainShape shape = ShapeOf(entry, [](char c) { return IsBinaryDigit(c); });
            if (shape.plain && !shape.signPlus && shape.wholeDigits < kSafeWholeDigits)
                return true;
            return IsBinaryText(entry);
        }
        default:
            return false;
    }
}

std::optional<std::string> AcceptedEntry(std::string_view entry, int radix) {
    if (!IsAcceptedEntry(entry, radix))
        return std::nullopt;
    std::string stored(entry);
    if (radix == 16) {
        for (auto& c : stored)
            c = detail::UpperAscii(c);
    }
    return stored;
}

}  // namespace quillora
