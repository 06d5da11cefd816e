// ReadExact: entry texts to exact values, by the grammar of TextToNumber and
// ConvertNumber, deciding the size of a value before building it.
#include <array>
#include <bit>
#include <string>
#include <utility>

#include "calc/ExactNumber.h"
#include "engine/EngineError.h"
#include "engine/NumberSystem.h"

namespace quillora {
namespace {

constexpr std::uint8_t kNoDigit = 0xFF;

constexpr std::array<std::uint8_t, 256> MakeDigitValues() {
    std::array<std::uint8_t, 256> values{};
    values.fill(kNoDigit);
    for (int c = '0'; c <= '9'; ++c)
        values.at(static_cast<std::size_t>(c)) = static_cast<std::uint8_t>(c - '0');
    for (int c = 'A'; c <= 'Z'; ++c) {
        values.at(static_cast<std::size_t>(c)) = static_cast<std::uint8_t>(c - 'A' + 10);
        values.at(static_cast<std::size_t>(c - 'A' + 'a')) =
            static_cast<std::uint8_t>(c - 'A' + 10);
    }
    return values;
}

constexpr std::array<std::uint8_t, 256> kDigitValues = MakeDigitValues();

unsigned DigitOf(char c) {
    return kDigitValues[static_cast<unsigned char>(c)];
}

constexpr double kLog2Of10 = 3.321928094887362;
constexpr double kLog2Of5 = 2.321928094887362;
// Beyond any value a text of a sensible length could need, and far from overflowing the
// arithmetic on exponents below.
constexpr long long kExponentCap = 1'000'000'000'000'000LL;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool AllDigitsOf(std::string_view s, unsigned radix) {
    for (char c : s) {
        if (DigitOf(c) >= radix)
            return false;
    }
    return !s.empty();
}

// A plain run of digits of radix (2, 8, 10 or 16), already checked.
ExactNumber WholeFromDigits(std::string_view digits, unsigned radix, bool negative) {
    while (!digits.empty() && digits.front() == '0')
        digits.remove_prefix(1);
    if (digits.empty())
        return ExactNumber();
    const auto length = static_cast<long long>(digits.size());
    const bool fitsWord = radix == 10 ? length <= 19
                                      : (length - 1) * std::countr_zero(radix) +
                                                std::bit_width(DigitOf(digits.front())) <=
                                            64;
    if (fitsWord) {
        std::uint64_t value = 0;
        for (char c : digits)
            value = value * radix + DigitOf(c);
        return ExactNumber::Word(value, negative);
    }
    const double bitsAtLeast = radix == 10
                                   ? static_cast<double>(length - 1) * kLog2Of10
                                   : static_cast<double>((length - 1) * std::countr_zero(radix));
    if (bitsAtLeast >= static_cast<double>(kExactBoundBits)) {
        return ExactNumber::OverBound();
    }
    mpz_class z;
    mpz_set_str(z.get_mpz_t(), std::string(digits).c_str(), static_cast<int>(radix));
    return ExactNumber::Whole(negative ? mpz_class(-z) : std::move(z));
}

// significand * 10^exponent, the significand a run of decimal digits without leading or
// trailing zeros.
ExactNumber ScaledDecimal(std::string_view significand, long long exponent, bool negative) {
    const auto n = static_cast<double>(significand.size());
    const auto bound = static_cast<double>(kExactBoundBits);
    if (exponent >= 0) {
        // log2 of the value is at least (n - 1 + exponent) log2 10; the bit beyond the bound
        // absorbs the rounding of the doubles, and what comes close is built and measured.
        if ((n - 1 + static_cast<double>(exponent)) * kLog2Of10 >= bound + 1)
            return ExactNumber::OverBound();
        mpz_class z{std::string(significand)};
        mpz_class power;
        mpz_ui_pow_ui(power.get_mpz_t(), 10, static_cast<unsigned long>(exponent));
        z *= power;
        return ExactNumber::Whole(negative ? mpz_class(-z) : std::move(z));
    }
    // The significand is not divisible by 10, so at least one of 2^k and 5^k stays whole
    // in the reduced denominator: it is at least 2^k, and the numerator at least the
    // significand over 5^k.
    const long long k = -exponent;
    if (k >= kExactBoundBits)
        return ExactNumber::OverBound();
    if ((n - 1) * kLog2Of10 - static_cast<double>(k) * kLog2Of5 >= bound + 1)
        return ExactNumber::OverBound();
    mpz_class num{std::string(significand)};
    const long long twos =
        std::min<long long>(static_cast<long long>(mpz_scan1(num.get_mpz_t(), 0)), k);
    mpz_class rest;
    const long long fives =
        std::min<long long>(static_cast<long long>(mpz_remove(rest.get_mpz_t(), num.get_mpz_t(),
                                                              mpz_class(5).get_mpz_t())),
                            k);
    const double denominatorBits =
        static_cast<double>(k - twos) + static_cast<double>(k - fives) * kLog2Of5;
    if (denominatorBits >= bound + 1)
        return ExactNumber::OverBound();
    mpz_class power;
    mpz_ui_pow_ui(power.get_mpz_t(), 5, static_cast<unsigned long>(fives));
    num >>= static_cast<mp_bitcnt_t>(twos);
    mpz_divexact(num.get_mpz_t(), num.get_mpz_t(), power.get_mpz_t());
    mpq_class q;
    mpz_ui_pow_ui(q.get_den_mpz_t(), 5, static_cast<unsigned long>(k - fives));
    q.get_den() <<= static_cast<mp_bitcnt_t>(k - twos);
    q.get_num() = negative ? mpz_class(-num) : std::move(num);
    return ExactNumber::Canonical(std::move(q));
}

// TextToNumber's grammar on a trimmed text: an optional sign, digits with an optional "."
// (at least one digit in all), an optional exponent.
std::optional<ExactNumber> SignedDecimal(std::string_view s) {
    bool negative = false;
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        negative = s[i++] == '-';
    const std::size_t wholeStart = i;
    while (i < s.size() && DigitOf(s[i]) < 10)
        ++i;
    const std::string_view whole = s.substr(wholeStart, i - wholeStart);
    std::string_view fraction;
    if (i < s.size() && s[i] == '.') {
        const std::size_t start = ++i;
        while (i < s.size() && DigitOf(s[i]) < 10)
            ++i;
        fraction = s.substr(start, i - start);
    }
    if (whole.empty() && fraction.empty())
        return std::nullopt;
    long long exponent = 0;
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e')) {
        ++i;
        bool negativeExponent = false;
        if (i < s.size() && (s[i] == '+' || s[i] == '-'))
            negativeExponent = s[i++] == '-';
        const std::size_t start = i;
        for (; i < s.size() && DigitOf(s[i]) < 10; ++i)
            exponent = std::min(exponent * 10 + (s[i] - '0'), kExponentCap);
        if (i == start)
            return std::nullopt;
        if (negativeExponent)
            exponent = -exponent;
    }
    if (i != s.size())
        return std::nullopt;
    if (fraction.empty() && exponent == 0)
        return WholeFromDigits(whole, 10, negative);
    std::string digits;
    digits.reserve(whole.size() + fraction.size());
    digits.append(whole).append(fraction);
    exponent -= static_cast<long long>(fraction.size());
    const std::size_t first = digits.find_first_not_of('0');
    if (first == std::string::npos)
        return ExactNumber();
    const std::size_t last = digits.find_last_not_of('0');
    exponent += static_cast<long long>(digits.size() - 1 - last);
    return ScaledDecimal(std::string_view(digits).substr(first, last + 1 - first), exponent,
                         negative);
}

std::optional<ExactNumber> DecimalEntry(std::string_view entry) {
    const std::string_view s = Trim(entry);
    if (s.size() > 2 && s[0] == '&' && (s[1] == 'H' || s[1] == 'h')) {
        const std::string_view hex = s.substr(2);
        if (!AllDigitsOf(hex, 16))
            return std::nullopt;
        return WholeFromDigits(hex, 16, false);
    }
    return SignedDecimal(s);
}

}  // namespace

std::optional<ExactNumber> ReadExact(std::string_view entry, Base base) {
    if (base == Base::Decimal)
        return DecimalEntry(entry);
    const auto radix = static_cast<unsigned>(Radix(base));
    if (AllDigitsOf(entry, radix))
        return WholeFromDigits(entry, radix, false);
    std::string decimal;
    try {
        decimal = ConvertNumber(entry, radix, 10);
    } catch (const EngineError&) {
        return std::nullopt;  // the run reports the entry's conversion itself
    }
    return DecimalEntry(decimal);
}

}  // namespace quillora
