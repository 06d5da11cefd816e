// ReadExact: entry texts to exact values, by the grammar of TextToNumber and
// ConvertNumber, deciding the size of a value before building it.
#include <array>
#include <bit>
#include <cstring>
#include <string>
#include <utility>

#include "calc/ExactNumber.h"
#include "engine/EngineError.h"
#include "engine/NumberSystem.h"
#include "engine/WordArithmetic.h"

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

// What a list holds most: whole entries short enough for a word, read eight characters at a
// step where there are eight. In each step a byte's top bit marks whether it lies in a range:
// b >= lo sets it in b + (0x80 - lo), b > hi in b + (0x7F - hi), with no carry between bytes
// as long as no byte has its own top bit set.
constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
constexpr std::uint64_t kTops = 0x8080808080808080ULL;

constexpr std::uint64_t InRange(std::uint64_t x, unsigned lo, unsigned hi) {
    return (x + (0x80 - lo) * kOnes) & ~(x + (0x7F - hi) * kOnes) & kTops;
}

std::uint64_t Load8(const char* p) {
    std::uint64_t x;
    std::memcpy(&x, p, 8);
    return x;
}

// Eight hexadecimal digits, the first the most significant; false unless all are digits.
bool EightHex(const char* p, std::uint64_t& value) {
    const std::uint64_t x = Load8(p);
    const std::uint64_t digits = InRange(x, '0', '9');
    const std::uint64_t letters = InRange(x | 0x20 * kOnes, 'a', 'f');
    if ((x & kTops) != 0 || (digits | letters) != kTops)
        return false;
    std::uint64_t v = (x & 0x0F * kOnes) + (letters >> 7) * 9;
    v = ((v << 4) | (v >> 8)) & 0x00FF00FF00FF00FFULL;
    v = ((v << 8) | (v >> 16)) & 0x0000FFFF0000FFFFULL;
    value = ((v << 16) | (v >> 32)) & 0xFFFFFFFFULL;
    return true;
}

// Eight decimal digits, the first the most significant; false unless all are digits.
bool EightDecimal(const char* p, std::uint64_t& value) {
    std::uint64_t x = Load8(p);
    if ((x & kTops) != 0 || InRange(x, '0', '9') != kTops)
        return false;
    x -= '0' * kOnes;
    x = x * 10 + (x >> 8);
    value = ((x & 0x000000FF000000FFULL) * (100 + (1000000ULL << 32)) +
             ((x >> 16) & 0x000000FF000000FFULL) * (1 + (10000ULL << 32))) >>
            32;
    return true;
}

// s (at most a word's worth of digits of radix, checked by the caller) into value. Decimal
// and hexadecimal digits before the last multiple of eight go one at a time, then eight at a
// step; octal and binary ones one at a time.
bool ShortDigits(std::string_view s, unsigned radix, std::uint64_t& value) {
    const std::size_t head = radix == 16 || radix == 10 ? s.size() % 8 : s.size();
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < head; ++i) {
        const unsigned d = DigitOf(s[i]);
        if (d >= radix)
            return false;
        v = v * radix + d;
    }
    for (std::size_t i = head; i < s.size(); i += 8) {
        std::uint64_t eight = 0;
        if (radix == 16 ? !EightHex(s.data() + i, eight) : !EightDecimal(s.data() + i, eight))
            return false;
        v = radix == 16 ? (v << 32) | eight : v * 100'000'000 + eight;
    }
    value = v;
    return true;
}

bool ShortPlain(std::string_view s, Base base, std::uint64_t& value) {
    if (s.empty())
        return false;
    switch (base) {
        case Base::Hexadecimal:
            // The usual long entry, all sixteen digits, in one vector step.
            if (s.size() == 16) {
                return detail::SixteenHexDigits(s.data(), value);
            }
            return s.size() < 16 && ShortDigits(s, 16, value);
        case Base::Octal:
            return (s.size() < 22 || (s.size() == 22 && s[0] <= '1')) && ShortDigits(s, 8, value);
        case Base::Binary:
            return s.size() <= 64 && ShortDigits(s, 2, value);
        case Base::Decimal:
            break;
    }
    return false;
}

// An optional sign and up to 19 decimal digits.
bool ShortDecimal(std::string_view s, std::uint64_t& value, bool& negative) {
    negative = !s.empty() && s[0] == '-';
    if (!s.empty() && (s[0] == '-' || s[0] == '+'))
        s.remove_prefix(1);
    return !s.empty() && s.size() <= 19 && ShortDigits(s, 10, value);
}

std::optional<ExactNumber> DecimalEntry(std::string_view entry) {
    std::uint64_t word = 0;
    bool negative = false;
    if (ShortDecimal(entry, word, negative))
        return ExactNumber::Word(word, negative);
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
    if (std::uint64_t word = 0; ShortPlain(entry, base, word))
        return ExactNumber::Word(word, false);
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
