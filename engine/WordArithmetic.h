#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Machine-word steps behind the whole-number conversions (not part of the engine's interface).
namespace quillora::detail {

__extension__ typedef unsigned __int128 Wide;

// Eight decimal digit characters to their value with three multiplications instead of eight.
inline std::uint64_t EightDigits(const char* p) {
    std::uint64_t v = 0;
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(&v, p, 8);
        v -= 0x3030303030303030ULL;
        v = v * 10 + (v >> 8);
        v = ((v & 0x000000FF000000FFULL) * (100 + (1000000ULL << 32)) +
             ((v >> 16) & 0x000000FF000000FFULL) * (1 + (10000ULL << 32))) >>
            32;
    } else {
        for (int i = 0; i < 8; ++i)
            v = v * 10 + static_cast<std::uint64_t>(p[i] - '0');
    }
    return v;
}

// The value of eight digit characters of base 2, 8 or 16 (bits 1, 3 or 4), the first the most
// significant; false unless all eight are plain digits of the base (a stray character or a
// digit beyond the base is left to the digit-by-digit reading).
template <unsigned bits>
[[gnu::always_inline]] inline bool EightPowerDigits(const char* p, std::uint64_t& value) {
    if constexpr (std::endian::native != std::endian::little)
        return false;
    std::uint64_t x;
    std::memcpy(&x, p, 8);
    constexpr std::uint64_t kOnes = 0x0101010101010101ULL, kHigh = 0x8080808080808080ULL;
    std::uint64_t digits;
    if constexpr (bits == 4) {
        // Bytes in a range [low, high]: below 0x80, then x + 0x80 - low sets the top bit and
        // x + 0x7F - high does not, with no carry from byte to byte.
        const auto within = [x](std::uint64_t low, std::uint64_t high) {
            return (x + (0x80 - low) * kOnes) & ~(x + (0x7F - high) * kOnes);
        };
        const std::uint64_t folded = x | 0x20 * kOnes;  // "A"-"F" onto "a"-"f"
        const std::uint64_t letters =
            (folded + (0x80 - 'a') * kOnes) & ~(folded + (0x7F - 'f') * kOnes) & kHigh;
        if ((x & kHigh) != 0 || ((within('0', '9') | letters) & kHigh) != kHigh)
            return false;
        // A letter's value is its low nibble plus 9.
        digits = (x & 0x0F * kOnes) + (letters >> 7) * 9;
    } else {
        const std::uint64_t nibbles = x & 0x0F * kOnes;
        if ((x & 0xF0 * kOnes) != 0x30 * kOnes ||
            ((nibbles + (16 - (1u << bits)) * kOnes) & 0xF0 * kOnes) != 0)
            return false;
        digits = nibbles;
    }
    // The first digit in the lowest byte: reversed, then pairs, fours and eights joined.
    digits = __builtin_bswap64(digits);
    digits = (digits & 0x00FF00FF00FF00FFULL) | (((digits >> 8) & 0x00FF00FF00FF00FFULL) << bits);
    digits =
        (digits & 0x0000FFFF0000FFFFULL) | (((digits >> 16) & 0x0000FFFF0000FFFFULL) << (2 * bits));
    value = (digits & 0xFFFFFFFFULL) | ((digits >> 32) << (4 * bits));
    return true;
}

namespace sixteen {

using Bytes = unsigned char __attribute__((vector_size(16)));
using Shorts = std::uint16_t __attribute__((vector_size(16)));
using Ints = std::uint32_t __attribute__((vector_size(16)));
using Longs = std::uint64_t __attribute__((vector_size(16)));
using Doubles = double __attribute__((vector_size(16)));

// The value of sixteen hexadecimal digit characters (either case) in two 64-bit lanes, the
// first eight digits' in the first, each below 2^32. False unless all sixteen are digits.
[[gnu::always_inline]] inline bool Halves(const char* p, Longs& halves) {
    static_assert(std::endian::native == std::endian::little);
    Bytes x;
    std::memcpy(&x, p, sizeof x);
    // Unsigned differences: a byte below the range wraps far above it.
    const auto digit = reinterpret_cast<Bytes>(static_cast<Bytes>(x - '0') <= 9);
    const auto letter = reinterpret_cast<Bytes>(static_cast<Bytes>((x | 0x20) - 'a') <= 5);
#if defined(__SSE2__)
    if (_mm_movemask_epi8(reinterpret_cast<__m128i>(digit | letter)) != 0xFFFF)
        return false;
#else
    const auto valid = reinterpret_cast<Longs>(digit | letter);
    if ((valid[0] & valid[1]) != ~std::uint64_t{0})
        return false;
#endif
    // A letter's value is its low nibble plus 9.
    const Bytes digits = (x & 0x0F) + (letter & 9);
    // Joined in memory order: pairs into bytes, fours into 16 bits, eights into 32 bits.
    const auto pairs = reinterpret_cast<Shorts>(digits);
    const Shorts bytes = static_cast<Shorts>((pairs & 0xFF) << 4) | (pairs >> 8);
#if defined(__SSE2__)
    // Each pair of bytes as first * 256 + second, in one multiply-add.
    const auto halfWords = reinterpret_cast<Ints>(
        _mm_madd_epi16(reinterpret_cast<__m128i>(bytes), _mm_set1_epi32(0x0001'0100)));
#else
    const auto quads = reinterpret_cast<Ints>(bytes);
    const Ints halfWords = ((quads & 0xFFFF) << 8) | (quads >> 16);
#endif
    const auto eights = reinterpret_cast<Longs>(halfWords);
    halves = ((eights & 0xFFFFFFFF) << 16) | (eights >> 32);
    return true;
}

}  // namespace sixteen

// The value of sixteen hexadecimal digit characters (either case), the first the most
// significant: a whole 64-bit word, the usual hexadecimal entry, in one 16-byte vector rather
// than two eight-digit words, which halves the instructions of a stream of such lines. False
// unless all sixteen are hexadecimal digits. Little-endian only, as EightPowerDigits.
[[gnu::always_inline]] inline bool SixteenHexDigits(const char* p, std::uint64_t& value) {
    sixteen::Longs halves;
    if (!sixteen::Halves(p, halves))
        return false;
    value = (halves[0] << 32) | halves[1];
    return true;
}

// The same as the double nearest that word, without the word: both halves become doubles in
// the vector (each with 2^52's exponent, then less 2^52, exactly), and their sum is rounded
// once, to nearest. A stream of millions of such lines spends a third fewer instructions on
// each than through the word and two conversions of its halves.
[[gnu::always_inline]] inline bool SixteenHexDigits(const char* p, double& value) {
    sixteen::Longs halves;
    if (!sixteen::Halves(p, halves))
        return false;
    constexpr std::uint64_t kTwoTo52Bits = 0x4330'0000'0000'0000;
    constexpr double kTwoTo52 = 4503599627370496.0;
    const sixteen::Doubles parts =
        reinterpret_cast<sixteen::Doubles>(halves | kTwoTo52Bits) - kTwoTo52;
    value = parts[0] * 4294967296.0 + parts[1];
    return true;
}

// f.template operator()<bits>() for 1 or 3 bits, and for 4 otherwise: the word steps of the
// bases 2, 8 and 16 are templates on the width of their digits.
template <class F>
[[gnu::always_inline]] inline decltype(auto) WithDigitBits(unsigned bits, F&& f) {
    switch (bits) {
        case 1:
            return f.template operator()<1>();
        case 3:
            return f.template operator()<3>();
        default:
            return f.template operator()<4>();
    }
}

// Division by 10^19 through its precomputed reciprocal (10^19 already has its top bit set),
// which spares a hardware division per word.
constexpr std::uint64_t kTen19 = 10'000'000'000'000'000'000ULL;
constexpr std::uint64_t kTen19Reciprocal = static_cast<std::uint64_t>(~Wide{0} / kTen19);

inline std::uint64_t DivideStepTen19(std::uint64_t high, std::uint64_t low,
                                     std::uint64_t& quotient) {
    const Wide t =
        static_cast<Wide>(kTen19Reciprocal) * high + ((static_cast<Wide>(high) << 64) | low);
    std::uint64_t q = static_cast<std::uint64_t>(t >> 64) + 1;
    std::uint64_t r = low - q * kTen19;
    if (r > static_cast<std::uint64_t>(t)) {
        --q;
        r += kTen19;
    }
    if (r >= kTen19) {
        ++q;
        r -= kTen19;
    }
    quotient = q;
    return r;
}

}  // namespace quillora::detail
