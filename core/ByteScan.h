#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Scans of long byte runs (a stored list of millions, a settings value of a
// hundred megabytes) sixteen bytes a step, in the compiler's portable vector
// types. A byte or word loop over such a run is bound by its own branches and
// instructions long before memory; these keep up with memory.
namespace quillora::bytescan {

constexpr std::size_t kBlock = 16;

namespace detail {

using Block = unsigned char __attribute__((vector_size(kBlock)));
using Halves = std::uint64_t __attribute__((vector_size(kBlock)));

inline Block Load(const char* at) {
    Block block;
    std::memcpy(&block, at, kBlock);
    return block;
}

inline Block Filled(char c) {
    return Block{} + static_cast<unsigned char>(c);
}

// Lanes of 0xFF where block equals c, 0 elsewhere.
inline Block Equal(Block block, Block c) {
    return reinterpret_cast<Block>(block == c);
}

// The high bit of every lane of a block of lane masks (0xFF or 0), as two
// eight-byte halves in memory order.
struct Marks {
    std::uint64_t low;
    std::uint64_t high;
};

inline Marks MarksOf(Block lanes) {
    constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;
    const auto halves = reinterpret_cast<Halves>(lanes);
    return {halves[0] & kHighBits, halves[1] & kHighBits};
}

// The byte index within an eight-byte half of its first 0x80 lane marker.
inline unsigned FirstMarked(std::uint64_t marks) {
    if constexpr (std::endian::native == std::endian::little) {
        return static_cast<unsigned>(std::countr_zero(marks)) / 8;
    } else {
        return static_cast<unsigned>(std::countl_zero(marks)) / 8;
    }
}

inline std::uint64_t WithoutFirstMarked(std::uint64_t marks) {
    if constexpr (std::endian::native == std::endian::little) {
        return marks & (marks - 1);
    } else {
        return marks & ~(std::uint64_t{1} << (63 - std::countl_zero(marks)));
    }
}

// The sum of a block's sixteen lanes.
inline std::size_t LaneSum(Block counts) {
    constexpr std::uint64_t kEvenBytes = 0x00FF00FF00FF00FFULL;
    const auto halves = reinterpret_cast<Halves>(counts);
    std::size_t sum = 0;
    for (int half = 0; half < 2; ++half) {
        const std::uint64_t bytes = halves[half];
        const std::uint64_t pairs = (bytes & kEvenBytes) + ((bytes >> 8) & kEvenBytes);
        sum += static_cast<std::size_t>((pairs * 0x0001000100010001ULL) >> 48);
    }
    return sum;
}

}  // namespace detail

// How many bytes of text are c.
inline std::size_t Count(std::string_view text, char c) {
    using namespace detail;
    const Block wanted = Filled(c);
    std::size_t count = 0;
    std::size_t at = 0;
    while (text.size() - at >= kBlock) {
        // A lane counts to 255 at most before the sum is taken.
        std::size_t steps = (text.size() - at) / kBlock;
        steps = steps < 255 ? steps : 255;
        Block counts{};
        for (std::size_t step = 0; step < steps; ++step, at += kBlock) {
            counts -= Equal(Load(text.data() + at), wanted);
        }
        count += LaneSum(counts);
    }
    for (; at < text.size(); ++at) {
        count += text[at] == c ? 1 : 0;
    }
    return count;
}

// Calls onMatch(index) for every byte of text that is c, first to last.
template <class OnMatch>
void ForEach(std::string_view text, char c, OnMatch&& onMatch) {
    using namespace detail;
    const Block wanted = Filled(c);
    std::size_t at = 0;
    for (; text.size() - at >= kBlock; at += kBlock) {
        auto [low, high] = MarksOf(Equal(Load(text.data() + at), wanted));
        if ((low | high) == 0) {
            continue;
        }
        for (; low != 0; low = WithoutFirstMarked(low)) {
            onMatch(at + FirstMarked(low));
        }
        for (; high != 0; high = WithoutFirstMarked(high)) {
            onMatch(at + 8 + FirstMarked(high));
        }
    }
    for (; at < text.size(); ++at) {
        if (text[at] == c) {
            onMatch(at);
        }
    }
}

namespace detail {

// The index of the first byte at or after from whose lane match marks, or text.size().
template <class Match>
[[gnu::always_inline]] inline std::size_t FirstWhere(std::string_view text, std::size_t from,
                                                     Match&& match) {
    std::size_t at = from;
    for (; at <= text.size() && text.size() - at >= kBlock; at += kBlock) {
#if defined(__SSE2__)
        // One mask of the sixteen lanes, one test: a file of short lines
        // makes a search or two per line.
        const auto lanes = reinterpret_cast<__m128i>(match(Load(text.data() + at)));
        if (const auto bits = static_cast<std::uint32_t>(_mm_movemask_epi8(lanes)); bits != 0) {
            return at + static_cast<std::size_t>(std::countr_zero(bits));
        }
#else
        const auto [low, high] = MarksOf(match(Load(text.data() + at)));
        if (low != 0) {
            return at + FirstMarked(low);
        }
        if (high != 0) {
            return at + 8 + FirstMarked(high);
        }
#endif
    }
    for (; at < text.size(); ++at) {
        Block one{};
        one[0] = static_cast<unsigned char>(text[at]);
        if ((match(one)[0] & 0x80) != 0) {
            return at;
        }
    }
    return text.size();
}

}  // namespace detail

// What else, besides the two bytes, ends a FirstOf search.
enum class Also {
    Nothing,
    NonAscii,  // a byte of 0x80 or above
    Control,   // a byte below 0x20
};

// The index of the first byte at or after from that is a or b (or, as also
// says, a byte of another kind), or text.size().
template <Also also = Also::Nothing>
[[gnu::always_inline]] inline std::size_t FirstOf(std::string_view text, std::size_t from, char a,
                                                  char b) {
    using namespace detail;
    const Block first = Filled(a);
    const Block second = Filled(b);
    const Block space = Filled(' ');
    return FirstWhere(text, from, [&](Block block) {
        const Block either = Equal(block, first) | Equal(block, second);
        if constexpr (also == Also::NonAscii) {
            return either | block;
        } else if constexpr (also == Also::Control) {
            return either | reinterpret_cast<Block>(block < space);
        } else {
            return either;
        }
    });
}

// The index of the first byte at or after from that is not ASCII (0x80 or
// above), or text.size().
inline std::size_t FirstNonAscii(std::string_view text, std::size_t from) {
    return detail::FirstWhere(text, from, [](detail::Block block) { return block; });
}

// Upper-cases the ASCII letters of text in place, sixteen bytes a step;
// every other byte stays as it is.
inline void UpperCaseAscii(char* text, std::size_t size) {
    using namespace detail;
    const Block beforeA = Filled('a' - 1);
    const Block afterZ = Filled('z' + 1);
    const Block caseBit = Filled(0x20);
    std::size_t at = 0;
    for (; size - at >= kBlock; at += kBlock) {
        Block block = Load(text + at);
        const auto lower = reinterpret_cast<Block>((block > beforeA) & (block < afterZ));
        block -= lower & caseBit;
        std::memcpy(text + at, &block, kBlock);
    }
    for (; at < size; ++at) {
        if (text[at] >= 'a' && text[at] <= 'z') {
            text[at] = static_cast<char>(text[at] - ('a' - 'A'));
        }
    }
}

}  // namespace quillora::bytescan
