#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

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
