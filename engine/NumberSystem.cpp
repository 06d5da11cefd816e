#include "NumberSystem.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "DigitText.h"
#include "EngineError.h"
#include "FractionDigits.h"
#include "NumberText.h"
#include "WholeNumber.h"

namespace quillora {
namespace {

using detail::DigitValue;

// Longest fraction part (in digits, trailing zeros aside) a conversion takes on: its work grows
// with the square of the length, and a longer one would hold the caller for seconds.
constexpr long long kLongestFraction = 100'000;

bool EqualsIgnoringCase(std::string_view s, std::string_view lower) {
    if (s.size() != lower.size())
        return false;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (detail::UpperAscii(s[i]) != detail::UpperAscii(lower[i]))
            return false;
    }
    return true;
}

// Position of the "E" of a decimal exponent form (decimal digits with at most one ".", then
// "E" or "e", an optional sign and digits), or npos when the text is not in that form.
std::size_t ExponentStart(std::string_view s) {
    // memchr scans a long digit text many bytes at a time.
    const void* upper = std::memchr(s.data(), 'E', s.size());
    const void* lower = std::memchr(s.data(), 'e', s.size());
    if (upper == nullptr && lower == nullptr)
        return std::string_view::npos;
    const char* first =
        static_cast<const char*>(upper == nullptr   ? lower
                                 : lower == nullptr ? upper
                                                    : std::min(static_cast<const char*>(upper),
                                                               static_cast<const char*>(lower)));
    const auto e = static_cast<std::size_t>(first - s.data());
    const std::string_view mantissa = s.substr(0, e);
    const auto points = std::count(mantissa.begin(), mantissa.end(), '.');
    const auto digits = std::count_if(mantissa.begin(), mantissa.end(), detail::IsDecimalDigit);
    if (points > 1 || digits == 0 || points + digits != static_cast<long>(mantissa.size())) {
        return std::string_view::npos;
    }
    std::string_view tail = s.substr(e + 1);
    if (!tail.empty() && (tail.front() == '+' || tail.front() == '-'))
        tail.remove_prefix(1);
    if (tail.empty())
        return std::string_view::npos;
    for (char c : tail) {
        if (!detail::IsDecimalDigit(c))
            return std::string_view::npos;
    }
    return e;
}

long long ReadExponent(std::string_view text) {
    bool negative = false;
    if (text.front() == '+' || text.front() == '-') {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    long long value = 0;
    for (char c : text)
        value = std::min(value * 10 + (c - '0'), kLongestFraction * 10);
    return negative ? -value : value;
}

struct WholeAndFraction {
    std::string whole;
    std::string fraction;
};

// Moves the point of mantissa (digits with an optional ".") by exponent places, exactly.
WholeAndFraction ExpandExponent(std::string_view mantissa, long long exponent) {
    const std::size_t point = mantissa.find('.');
    std::string digits(mantissa.substr(0, point));
    if (point != std::string_view::npos)
        digits.append(mantissa.substr(point + 1));
    long long pointAt =
        static_cast<long long>(point == std::string_view::npos ? mantissa.size() : point) +
        exponent;
    std::size_t lead = 0;
    while (lead < digits.size() && DigitValue(digits[lead]) == 0)
        ++lead;
    digits.erase(0, lead);
    pointAt -= static_cast<long long>(lead);
    while (!digits.empty() && DigitValue(digits.back()) == 0)
        digits.pop_back();
    if (digits.empty())
        return {};
    // The first digit is nonzero: a whole part of more than 309 digits is beyond every double.
    if (pointAt > 309)
        throw OverflowError();
    if (pointAt < -kLongestFraction)
        throw OverflowError();
    const auto size = static_cast<long long>(digits.size());
    if (pointAt <= 0)
        return {"", std::string(static_cast<std::size_t>(-pointAt), '0') + digits};
    if (pointAt >= size)
        return {digits + std::string(static_cast<std::size_t>(pointAt - size), '0'), ""};
    const auto split = static_cast<std::size_t>(pointAt);
    return {digits.substr(0, split), digits.substr(split)};
}

std::string WithSign(bool negative, std::string magnitude) {
    if (negative && magnitude != "0")
        magnitude.insert(magnitude.begin(), '-');
    return magnitude;
}

}  // namespace

std::string ConvertNumber(std::string_view value, std::string_view fromBase,
                          std::string_view toBase) {
    const unsigned from = detail::ParseBase(fromBase);
    const unsigned to = detail::ParseBase(toBase);
    return ConvertNumber(value, from, to);
}

std::string ConvertNumber(std::string_view value, unsigned fromBase, unsigned toBase) {
    const unsigned from = detail::RequireBase(fromBase);
    const unsigned to = detail::RequireBase(toBase);
    std::string_view s = detail::TrimBlanks(value);
    bool negative = false;
    if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    // Plain decimal digits, the usual entry, hold no exponent, point or word to look for;
    // most fit a machine word.
    if (std::uint64_t word = 0; from == 10 && detail::ReadShortDecimal(s, word))
        return WithSign(negative, detail::WriteWord(word, to));
    if (from == 10 && detail::AllDecimalDigits(s))
        return WithSign(negative, detail::ConvertPlainDecimal(s, to));
    // The decimal texts of an infinite or undefined result have no digits in any base.
    if (from == 10 && (EqualsIgnoringCase(s, "infinity") || EqualsIgnoringCase(s, "nan"))) {
        throw OverflowError();
    }
    const std::size_t exponent = from == 10 ? ExponentStart(s) : std::string_view::npos;
    const void* dot = std::memchr(s.data(), '.', s.size());
    const std::size_t point =
        dot == nullptr ? std::string_view::npos
                       : static_cast<std::size_t>(static_cast<const char*>(dot) - s.data());
    if (exponent == std::string_view::npos && point == std::string_view::npos) {
        return WithSign(negative, detail::ConvertWhole(s, from, to, true));
    }
    WholeAndFraction parts;
    if (exponent != std::string_view::npos) {
        parts = ExpandExponent(s.substr(0, exponent), ReadExponent(s.substr(exponent + 1)));
    } else {
        parts = {std::string(s.substr(0, point)), std::string(s.substr(point + 1))};
    }
    std::string_view fraction = parts.fraction;
    while (!fraction.empty() && DigitValue(fraction.back()) == 0)
        fraction.remove_suffix(1);
    std::string whole = detail::ConvertWhole(parts.whole, from, to, true);
    if (fraction.empty())
        return WithSign(negative, std::move(whole));
    if (fraction.size() > kLongestFraction)
        throw OverflowError();
    return WithSign(negative, detail::AppendFraction(std::move(whole), fraction, from, to));
}

std::string BaseToDecimal(std::string_view s, std::string_view base) {
    return detail::ConvertWhole(s, detail::ParseBase(base), 10, false);
}

std::string DecimalToBase(std::string_view d, std::string_view base) {
    const unsigned to = detail::ParseBase(base);
    detail::RequireDecimalDigits(d);
    return detail::ConvertWhole(d, 10, to, true);
}

double CharToDigit(char c) {
    return DigitValue(c);
}

std::string DigitToChar(double v) {
    if (std::isnan(v) || v > 35)
        return "";
    if (v < 10)
        return NumberToText(v);
    return std::string(1, detail::DigitChar(static_cast<unsigned>(std::nearbyint(v))));
}

}  // namespace quillora
