#include "PowerOfTwoReading.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>

#include "DigitText.h"
#include "EngineError.h"
#include "PlainWordReading.h"
#include "WordArithmetic.h"

namespace quillora {
namespace {

// Longer texts go the exact way through decimal text, which has its own limits; no entry of
// the list comes near this.
constexpr std::size_t kLongestQuickText = std::size_t{1} << 16;

using detail::kDigitValues;
using detail::WordToDouble;

bool ReadPlainWord(std::string_view s, unsigned bits, std::uint64_t& word) {
    return detail::WithDigitBits(bits,
                                 [&]<unsigned b>() { return detail::ReadPlainWordOf<b>(s, word); });
}

constexpr int kMantissaBits = 53;
constexpr int kLeastNormalExponent = -1022;

// top * 2^scale, where sticky says that nonzero bits follow below top's last bit, rounded to
// the nearest double (subnormals included), ties to even.
double Round(std::uint64_t top, long long scale, bool sticky) {
    const int width = std::bit_width(top);
    // The value lies in [2^high, 2^(high + 1)).
    const long long high = width - 1 + scale;
    long long precision = kMantissaBits;
    if (high < kLeastNormalExponent)
        precision -= kLeastNormalExponent - high;
    if (precision < 0)
        return 0.0;  // below half the least subnormal
    if (precision == 0) {
        // In [2^-1075, 2^-1074): exactly half the least subnormal ties to zero.
        const bool half = std::has_single_bit(top) && !sticky;
        return half ? 0.0 : std::ldexp(1.0, -1074);
    }
    const long long drop = width - precision;
    if (drop <= 0)
        return std::ldexp(static_cast<double>(top), static_cast<int>(scale));
    const std::uint64_t half = std::uint64_t{1} << (drop - 1);
    const std::uint64_t rest = top & ((half << 1) - 1);
    std::uint64_t kept = top >> drop;
    if (rest > half || (rest == half && (sticky || (kept & 1) != 0)))
        ++kept;
    return std::ldexp(static_cast<double>(kept), static_cast<int>(scale + drop));
}

}  // namespace

bool ReadPowerOfTwoDigits(std::string_view text, unsigned radix, double& value) {
    if (radix != 2 && radix != 8 && radix != 16)
        return false;
    const unsigned bits = static_cast<unsigned>(std::countr_zero(radix));
    std::string_view s = detail::TrimBlanks(text);
    if (s.size() > kLongestQuickText)
        return false;
    bool negative = false;
    if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    // A whole number of one machine word, the usual entry: the conversion to double rounds to
    // nearest, ties to even, by itself.
    if (std::uint64_t word = 0;
        !s.empty() && s.size() * bits <= 64 && ReadPlainWord(s, bits, word)) {
        const double magnitude = WordToDouble(word);
        value = negative && word != 0 ? -magnitude : magnitude;
        return true;
    }
    // The first up to 64 bits of significant digits, a sticky bit for any nonzero digit after
    // them, and the digit places that follow them or the point.
    std::uint64_t top = 0;
    unsigned topBits = 0;
    bool sticky = false, point = false, anyDigit = false;
    long long digitsAfterTop = 0, fractionDigits = 0;
    for (const char c : s) {
        if (c == '.') {
            if (point)
                return false;
            point = true;
            continue;
        }
        const unsigned d = kDigitValues[static_cast<unsigned char>(c)];
        if (d >= radix)
            return false;
        anyDigit = true;
        fractionDigits += point ? 1 : 0;
        if (top == 0 && d == 0)
            continue;
        if (topBits + bits <= 64) {
            top = (top << bits) | d;
            topBits += bits;
        } else {
            sticky = sticky || d != 0;
            ++digitsAfterTop;
        }
    }
    if (!anyDigit)
        return false;
    if (top == 0) {
        value = 0.0;  // every zero, signed or not, reads as plain zero
        return true;
    }
    const double magnitude =
        Round(top, static_cast<long long>(bits) * (digitsAfterTop - fractionDigits), sticky);
    if (std::isinf(magnitude))
        throw OverflowError();
    value = negative ? -magnitude : magnitude;
    return true;
}

}  // namespace quillora
