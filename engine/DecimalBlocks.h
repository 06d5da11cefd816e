#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Decimal digits worked nine at a time, one 32-bit block each: a block times a
// block, or times a factor of at most 2^32, stays within 64 bits. Shared by the
// whole-number arithmetic and the fraction digits (not part of the engine's interface).
namespace quillora::detail {

inline constexpr std::uint32_t kBlock = 1'000'000'000;
inline constexpr std::size_t kBlockDigits = 9;
// Whole numbers keep their least significant block first, fractions their first block first.
using Blocks = std::vector<std::uint32_t>;

// The value of count (at most nine) decimal digit characters.
inline std::uint32_t ReadBlock(const char* digits, std::size_t count) {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < count; ++i)
        v = v * 10 + static_cast<std::uint32_t>(digits[i] - '0');
    return v;
}

// value's last width decimal digits into out, zeros in front.
inline void WriteBlock(char* out, std::uint64_t value, std::size_t width) {
    for (std::size_t i = width; i-- > 0; value /= 10)
        out[i] = static_cast<char>('0' + value % 10);
}

// Zero blocks at the end say nothing: the most significant ones of a whole
// number, the last ones of a fraction.
inline void DropZeroBlocks(Blocks& blocks) {
    while (!blocks.empty() && blocks.back() == 0)
        blocks.pop_back();
}

}  // namespace quillora::detail
