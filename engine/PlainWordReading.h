#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "DigitText.h"
#include "WordArithmetic.h"

// The usual list entry of base 2, 8 or 16 read straight to a double, inline and
// for one digit width fixed at compile time: a reader of millions of lines
// chooses the width once and spends no call or dispatch per line on it.
// ReadPowerOfTwoDigits (PowerOfTwoReading.h), the general reading, takes the
// same texts the same way behind a runtime radix.
namespace quillora {

namespace detail {

// Digit values by character, 255 for what is no digit of any base up to 36.
inline constexpr std::array<std::uint8_t, 256> kDigitValues = [] {
    std::array<std::uint8_t, 256> table{};
    for (int c = 0; c < 256; ++c) {
        const char ch = static_cast<char>(c);
        const unsigned d = DigitValue(ch);
        table[static_cast<std::size_t>(c)] =
            d == 0 && ch != '0' ? 255 : static_cast<std::uint8_t>(d);
    }
    return table;
}();

// The nearest double to a word, without the branch the plain conversion takes
// on the top bit (which a list of random 64-bit entries would mispredict half
// the time): both halves convert exactly, so their sum is rounded once, to
// nearest.
inline double WordToDouble(std::uint64_t word) {
    const auto high = static_cast<double>(static_cast<std::uint32_t>(word >> 32));
    const auto low = static_cast<double>(static_cast<std::uint32_t>(word));
    return high * 4294967296.0 + low;
}

// The value of a text of plain digits of base 2^bits that fits a machine word:
// eight digits at a time after the few in front of them.
template <unsigned bits>
[[gnu::always_inline]] inline bool ReadPlainWordOf(std::string_view s, std::uint64_t& word) {
    constexpr unsigned kRadix = 1u << bits;
    if constexpr (bits == 4 && std::endian::native == std::endian::little) {
        if (s.size() == 16)
            return SixteenHexDigits(s.data(), word);
    }
    const std::size_t head = s.size() % 8;
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < head; ++i) {
        const unsigned d = kDigitValues[static_cast<unsigned char>(s[i])];
        if (d >= kRadix)
            return false;
        v = (v << bits) | d;
    }
    for (std::size_t i = head; i < s.size(); i += 8) {
        std::uint64_t group = 0;
        if (!EightPowerDigits<bits>(s.data() + i, group))
            return false;
        v = (v << (8 * bits)) | group;
    }
    word = v;
    return true;
}

}  // namespace detail

// The usual entry of base 2^bits (bits 1, 3 or 4): nothing but digits of the
// base (letters of either case), no blank, sign or point, as many as fit a
// 64-bit word. True with the value ReadPowerOfTwoDigits gives such a text;
// false, value untouched, for any other text. Every text it takes passes the
// base's entry test, so a reader of millions of lines tests and reads each in
// one pass.
template <unsigned bits>
[[gnu::always_inline]] inline bool ReadPlainWordAs(std::string_view text, std::uint64_t& word) {
    static_assert(bits == 1 || bits == 3 || bits == 4);
    return !text.empty() && text.size() * bits <= 64 && detail::ReadPlainWordOf<bits>(text, word);
}

// The same, as the double nearest to that word (PlainWordValue's).
template <unsigned bits>
[[gnu::always_inline]] inline bool ReadPlainWordAs(std::string_view text, double& value) {
    if constexpr (bits == 4 && std::endian::native == std::endian::little) {
        if (text.size() == 16)
            return detail::SixteenHexDigits(text.data(), value);
    }
    std::uint64_t word = 0;
    if (!ReadPlainWordAs<bits>(text, word))
        return false;
    value = detail::WordToDouble(word);
    return true;
}

// The double a plain word reads as, as ReadPowerOfTwoDigits gives it.
inline double PlainWordValue(std::uint64_t word) {
    return detail::WordToDouble(word);
}

}  // namespace quillora
