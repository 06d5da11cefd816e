#include "NumberText.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "DigitText.h"
#include "EngineError.h"

namespace quillora {
namespace {

using detail::IsDecimalDigit;
using detail::IsHexDigit;

// Hexadecimal digits of any length as an unsigned whole number, rounded to nearest, ties to
// even: the first 64 significant bits plus a sticky bit for everything below them. Infinity
// when the value is beyond the double range.
double HexToNumber(std::string_view hex) {
    while (!hex.empty() && hex.front() == '0')
        hex.remove_prefix(1);
    std::uint64_t top = 0;
    std::size_t used = 0;
    while (used < hex.size() && used < 16)
        top = top * 16 + detail::DigitValue(hex[used++]);
    bool sticky = false;
    for (std::size_t i = used; i < hex.size() && !sticky; ++i)
        sticky = hex[i] != '0';
    int scale = static_cast<int>(std::min<std::size_t>(hex.size() - used, 1 << 20)) * 4;
    if (top == 0)
        return 0.0;
    const int width = std::bit_width(top);
    if (width > 53) {
        const int drop = width - 53;
        const std::uint64_t half = std::uint64_t{1} << (drop - 1);
        const std::uint64_t rest = top & ((half << 1) - 1);
        top >>= drop;
        scale += drop;
        if (rest > half || (rest == half && (sticky || (top & 1) != 0)))
            ++top;
    }
    return std::ldexp(static_cast<double>(top), scale);
}

// Length of the decimal number at the start of s (sign, digits with an optional point and at
// least one digit, optional exponent), or 0 when s does not start with one.
std::size_t DecimalLength(std::string_view s) {
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        ++i;
    std::size_t digits = 0;
    while (i < s.size() && IsDecimalDigit(s[i]))
        ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && IsDecimalDigit(s[i]))
            ++i, ++digits;
    }
    if (digits == 0)
        return 0;
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e')) {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-'))
            ++j;
        const std::size_t start = j;
        while (j < s.size() && IsDecimalDigit(s[j]))
            ++j;
        if (j == start)
            return 0;
        i = j;
    }
    return i;
}

// from_chars reports both overflow and underflow as out of range; the decimal exponent of the
// first significant digit tells them apart.
bool BelowDoubleRange(std::string_view s) {
    long long position = 0;  // power of ten of the first significant digit, plus one
    std::size_t i = 0;
    bool seenDigit = false, seenPoint = false;
    for (; i < s.size() && s[i] != 'e' && s[i] != 'E'; ++i) {
        if (s[i] == '.') {
            seenPoint = true;
        } else if (IsDecimalDigit(s[i])) {
            if (!seenDigit && s[i] != '0')
                seenDigit = true;
            if (seenDigit && !seenPoint)
                ++position;
            if (!seenDigit && seenPoint)
                --position;
        }
    }
    long long exponent = 0;
    if (i < s.size()) {
        bool negative = false;
        ++i;
        if (s[i] == '+' || s[i] == '-')
            negative = s[i++] == '-';
        for (; i < s.size(); ++i)
            exponent = std::min(exponent * 10 + (s[i] - '0'), 1'000'000'000LL);
        if (negative)
            exponent = -exponent;
    }
    return position + exponent < 0;
}

enum class ReadStatus { Ok, TypeMismatch, Overflow };

// The form most numbers come in: an optional sign and at most 15 digits, with at most one point
// between digits, no exponent. The digits are exact as a whole number below 2^53 and so is the
// power of ten below them, so one division, correctly rounded, gives the nearest double: what
// the general reader gives, without its work. False for every other text.
bool ReadShortDecimal(std::string_view s, double& value) {
    static constexpr double kPowers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                         1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    std::size_t i = 0;
    const bool negative = !s.empty() && s[0] == '-';
    if (!s.empty() && (s[0] == '-' || s[0] == '+'))
        ++i;
    if (s.size() - i > 16 || i == s.size())
        return false;
    std::uint64_t digits = 0;
    std::size_t count = 0, point = std::string_view::npos;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        if (IsDecimalDigit(c)) {
            digits = digits * 10 + static_cast<std::uint64_t>(c - '0');
            ++count;
        } else if (c == '.' && point == std::string_view::npos && count > 0) {
            point = count;
        } else {
            return false;
        }
    }
    if (count > 15 || count == point)
        return false;
    const std::size_t places = point == std::string_view::npos ? 0 : count - point;
    const double magnitude = static_cast<double>(digits) / kPowers[places];
    value = negative ? -magnitude : magnitude;
    return true;
}

ReadStatus DecimalToNumber(std::string_view s, double& value) {
    const bool negative = s.front() == '-';
    if (s.front() == '+' || s.front() == '-')
        s.remove_prefix(1);
    const auto result = std::from_chars(s.data(), s.data() + s.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        if (!BelowDoubleRange(s))
            return ReadStatus::Overflow;
        value = 0;
    } else if (result.ec != std::errc{} || result.ptr != s.data() + s.size()) {
        return ReadStatus::TypeMismatch;
    }
    if (negative)
        value = -value;
    return ReadStatus::Ok;
}

// The one reader behind TextToNumber and the numeric test. It reports by status rather than by
// exception, since list files may hold millions of lines that no base takes.
ReadStatus ReadNumber(std::string_view text, double& value) {
    const std::string_view s = detail::TrimBlanks(text);
    if (s.size() > 2 && s[0] == '&' && (s[1] == 'H' || s[1] == 'h')) {
        const std::string_view hex = s.substr(2);
        for (char c : hex) {
            if (!IsHexDigit(c))
                return ReadStatus::TypeMismatch;
        }
        value = HexToNumber(hex);
        return std::isinf(value) ? ReadStatus::Overflow : ReadStatus::Ok;
    }
    if (ReadShortDecimal(s, value))
        return ReadStatus::Ok;
    if (s.empty() || DecimalLength(s) != s.size())
        return ReadStatus::TypeMismatch;
    return DecimalToNumber(s, value);
}

}  // namespace

double TextToNumber(std::string_view text) {
    double value = 0;
    switch (ReadNumber(text, value)) {
        case ReadStatus::Ok:
            return value;
        case ReadStatus::Overflow:
            throw OverflowError();
        case ReadStatus::TypeMismatch:
            break;
    }
    throw TypeMismatchError();
}

bool IsNumeric(std::string_view text) {
    double value = 0;
    return ReadNumber(text, value) == ReadStatus::Ok;
}

std::string NumberToText(double value) {
    if (std::isnan(value))
        return "NaN";
    if (std::isinf(value))
        return value < 0 ? "-Infinity" : "Infinity";
    if (value == 0)
        return "0";
    // "d.dddddddddddddde+XX": 15 significant digits, correctly rounded by the C library.
    char buffer[32];
    const int length = std::snprintf(buffer, sizeof buffer, "%.14e", std::fabs(value));
    const std::string_view text(buffer, static_cast<std::size_t>(length));
    std::string digits;
    digits += text[0];
    digits += text.substr(2, 14);
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    const int exponent = std::atoi(buffer + 17);
    // The largest doubles round up to 1.79769313486232E+308, beyond the double range: nothing
    // could read that text back, nor convert it to another base. They round down instead.
    if (exponent == 308 && digits == "179769313486232")
        digits = "179769313486231";
    std::string out = value < 0 ? "-" : "";
    if (exponent >= -4 && exponent <= 14) {
        if (exponent < 0) {
            out += "0.";
            out.append(static_cast<std::size_t>(-exponent - 1), '0');
            out += digits;
        } else {
            const auto whole = static_cast<std::size_t>(exponent) + 1;
            if (digits.size() <= whole) {
                out += digits;
                out.append(whole - digits.size(), '0');
            } else {
                out.append(digits, 0, whole);
                out += '.';
                out.append(digits, whole);
            }
        }
        return out;
    }
    out += digits[0];
    if (digits.size() > 1) {
        out += '.';
        out.append(digits, 1);
    }
    char exponentText[16];
    std::snprintf(exponentText, sizeof exponentText, "E%c%02d", exponent < 0 ? '-' : '+',
                  std::abs(exponent));
    return out + exponentText;
}

}  // namespace quillora
