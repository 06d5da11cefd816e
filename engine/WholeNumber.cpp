#include "WholeNumber.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "DigitText.h"
#include "EngineError.h"
#include "WordArithmetic.h"

namespace quillora::detail {

// Eight characters at a time: every byte has the high nibble 3, and adding 6 carries none of
// the low nibbles into it (so none is above 9).
namespace {

bool EightDecimalDigitChars(const char* p) {
    constexpr std::uint64_t kHigh = 0xF0F0F0F0F0F0F0F0ULL;
    constexpr std::uint64_t kThrees = 0x3030303030303030ULL;
    constexpr std::uint64_t kSixes = 0x0606060606060606ULL;
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return (word & kHigh) == kThrees && ((word + kSixes) & kHigh) == kThrees;
}

}  // namespace

bool AllDecimalDigits(std::string_view s) {
    std::size_t i = 0;
    for (; i + 8 <= s.size(); i += 8) {
        if (!EightDecimalDigitChars(s.data() + i))
            return false;
    }
    for (; i < s.size(); ++i) {
        if (!IsDecimalDigit(s[i]))
            return false;
    }
    return true;
}

bool ReadShortDecimal(std::string_view s, std::uint64_t& value) {
    if (s.empty() || s.size() > 20)
        return false;
    // The few digits in front of the groups of eight one by one, then the groups, each
    // tested and read as a word; only a twentieth digit can carry the value past a word.
    const std::size_t head = s.size() % 8;
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < head; ++i) {
        const auto d = static_cast<unsigned>(static_cast<unsigned char>(s[i]) - '0');
        if (d > 9)
            return false;
        v = v * 10 + d;
    }
    for (std::size_t i = head; i < s.size(); i += 8) {
        if (!EightDecimalDigitChars(s.data() + i))
            return false;
        if (__builtin_mul_overflow(v, std::uint64_t{100'000'000}, &v) ||
            __builtin_add_overflow(v, EightDigits(s.data() + i), &v))
            return false;
    }
    value = v;
    return true;
}

namespace {

constexpr std::array<std::uint8_t, 256> kDigitTable = [] {
    std::array<std::uint8_t, 256> table{};
    for (int c = 0; c < 256; ++c)
        table[c] = static_cast<std::uint8_t>(DigitValue(static_cast<char>(c)));
    return table;
}();

inline unsigned Digit(char c) {
    return kDigitTable[static_cast<unsigned char>(c)];
}

// Bits per digit for a power-of-two base, 0 otherwise. (std::has_single_bit would call a
// library popcount on processors the build does not assume popcnt for.)
unsigned BitsPerDigit(unsigned base) {
    return (base & (base - 1)) == 0 ? static_cast<unsigned>(std::countr_zero(base)) : 0;
}

bool DigitsWithinBase(std::string_view s, unsigned base) {
    for (char c : s) {
        if (Digit(c) >= base)
            return false;
    }
    return true;
}

[[gnu::always_inline]] inline std::uint64_t ReadDecimalChunk(std::string_view s) {
    std::uint64_t v = 0;
    std::size_t i = 0;
    for (; i + 8 <= s.size(); i += 8)
        v = v * 100'000'000 + EightDigits(s.data() + i);
    for (; i < s.size(); ++i)
        v = v * 10 + static_cast<std::uint64_t>(s[i] - '0');
    return v;
}

// As many digits per machine word as fit. When a digit may exceed the base, a chunk's value
// can exceed base^digits, so fewer digits are taken to keep it within one word.
struct Chunk {
    unsigned digits;
    std::uint64_t power;
};

constexpr Chunk MakeChunk(unsigned base, bool withinBase) {
    const std::uint64_t limit = std::numeric_limits<std::uint64_t>::max() / (withinBase ? 1 : 36);
    Chunk chunk{1, base};
    while (chunk.power <= limit / base) {
        chunk.power *= base;
        ++chunk.digits;
    }
    return chunk;
}

// Worked out once: the loop above costs as much as the rest of a short conversion.
template <bool withinBase>
constexpr std::array<Chunk, 37> kChunks = [] {
    std::array<Chunk, 37> chunks{};
    for (unsigned base = 2; base <= 36; ++base)
        chunks[base] = MakeChunk(base, withinBase);
    return chunks;
}();

Chunk ChunkFor(unsigned base, bool withinBase) {
    return withinBase ? kChunks<true>[base] : kChunks<false>[base];
}

std::uint64_t ReadChunk(std::string_view s, unsigned base) {
    std::uint64_t v = 0;
    if (base == 10) {
        for (char c : s)
            v = v * 10 + Digit(c);
    } else {
        for (char c : s)
            v = v * base + Digit(c);
    }
    return v;
}

// w = w * m + add.
void MultiplyAdd(Words& w, std::uint64_t m, std::uint64_t add) {
    std::uint64_t carry = add;
    for (auto& word : w) {
        const Wide p = static_cast<Wide>(word) * m + carry;
        word = static_cast<std::uint64_t>(p);
        carry = static_cast<std::uint64_t>(p >> 64);
    }
    if (carry != 0)
        w.push_back(carry);
}

void DropZeroWords(Words& w) {
    while (!w.empty() && w.back() == 0)
        w.pop_back();
}

constexpr char kDigitChars[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";

// The value of eight digits of base 2, 8 or 16, quickly when they are plain, otherwise digit by
// digit with every digit's value joined into seen (so that one beyond the base shows there).
template <unsigned bits>
[[gnu::always_inline]] inline std::uint64_t ReadEightPowerDigitsOf(const char* p, unsigned& seen) {
    std::uint64_t group = 0;
    if (EightPowerDigits<bits>(p, group))
        return group;
    for (int i = 0; i < 8; ++i) {
        const unsigned d = Digit(p[i]);
        seen |= d;
        group = (group << bits) | (d & ((1u << bits) - 1));
    }
    return group;
}

std::uint64_t ReadEightPowerDigits(const char* p, unsigned bits, unsigned& seen) {
    return WithDigitBits(bits, [&]<unsigned b>() { return ReadEightPowerDigitsOf<b>(p, seen); });
}

// Lays groups of bits into zeroed words from the lowest bit up, a group
// straddling two words where it must.
class WordLayer {
  public:
    explicit WordLayer(Words& w) : w_(w) {}

    void lay(std::uint64_t group, unsigned width) {
        word_ |= group << held_;
        held_ += width;
        if (held_ >= 64) {
            w_[index_++] = word_;
            held_ -= 64;
            word_ = held_ > 0 ? group >> (width - held_) : 0;
        }
    }

    // False when a digit was not below the base: `seen` holds every digit
    // or-ed together, so any bit at or above `bits` tells.
    bool finish(unsigned seen, unsigned bits) {
        if (held_ > 0) {
            w_[index_] = word_;
        }
        if ((seen >> bits) != 0) {
            return false;
        }
        DropZeroWords(w_);
        return true;
    }

  private:
    Words& w_;
    std::size_t index_ = 0;
    std::uint64_t word_ = 0;
    unsigned held_ = 0;
};

// Digits of a power-of-two base into w, eight at a time from the last, checking on the way
// that each is below the base (false, w spoilt, when one is not). Groups of 8 * bits bits
// are laid into the words, straddling two where they must.
template <unsigned bits>
bool PackBitsOf(std::string_view s, Words& w) {
    constexpr unsigned kMask = (1u << bits) - 1;
    w.assignZeros((s.size() * bits + 63) / 64);
    WordLayer layer(w);
    unsigned seen = 0;
    std::size_t end = s.size();
    while (end > 0) {
        const std::size_t count = end >= 8 ? 8 : end;
        const std::size_t begin = end - count;
        std::uint64_t group = 0;
        if (count == 8) {
            group = ReadEightPowerDigitsOf<bits>(s.data() + begin, seen);
        } else {
            for (std::size_t i = begin; i < end; ++i) {
                const unsigned d = Digit(s[i]);
                seen |= d;
                group = (group << bits) | (d & kMask);
            }
        }
        layer.lay(group, static_cast<unsigned>(count) * bits);
        end = begin;
    }
    return layer.finish(seen, bits);
}

// The bases 4 and 32, digit by digit.
bool PackBitsOneByOne(std::string_view s, unsigned bits, Words& w) {
    w.assignZeros((s.size() * bits + 63) / 64);
    const unsigned mask = (1u << bits) - 1;
    WordLayer layer(w);
    unsigned seen = 0;
    for (std::size_t i = s.size(); i-- > 0;) {
        const unsigned digit = Digit(s[i]);
        seen |= digit;
        layer.lay(digit & mask, bits);
    }
    return layer.finish(seen, bits);
}

// Eight digits a word for the bases 2, 8 and 16; the bases 4 and 32 digit by digit.
bool HasWordSteps(unsigned bits) {
    return bits == 1 || bits == 3 || bits == 4;
}

bool PackBits(std::string_view s, unsigned bits, Words& w) {
    if (!HasWordSteps(bits))
        return PackBitsOneByOne(s, bits, w);
    return WithDigitBits(bits, [&]<unsigned b>() { return PackBitsOf<b>(s, w); });
}

// width (at most 32) bits of w from bit offset on, zeros beyond its top.
std::uint64_t BitField(const std::uint64_t* w, std::size_t size, std::size_t offset,
                       unsigned width) {
    const std::size_t i = offset / 64;
    const unsigned shift = offset % 64;
    if (i >= size)
        return 0;
    std::uint64_t v = w[i] >> shift;
    if (shift + width > 64 && i + 1 < size)
        v |= w[i + 1] << (64 - shift);
    return v & ((std::uint64_t{1} << width) - 1);
}

// Eight digits of bits (1, 3 or 4) each, the low 8 * bits of v, as eight characters in one
// word, the most significant digit first in memory: the digits are spread to a byte each by
// halving the groups three times, then turned into characters all at once.
template <unsigned bits>
[[gnu::always_inline]] inline std::uint64_t EightDigitChars(std::uint64_t v) {
    const unsigned half = 4 * bits, quarter = 2 * bits;
    v = (v & ((std::uint64_t{1} << half) - 1)) | ((v >> half) << 32);
    const std::uint64_t pairs = ((std::uint64_t{1} << quarter) - 1) * 0x0000000100000001ULL;
    v = (v & pairs) | (((v >> quarter) & pairs) << 16);
    const std::uint64_t ones = ((std::uint64_t{1} << bits) - 1) * 0x0001000100010001ULL;
    v = (v & ones) | (((v >> bits) & ones) << 8);
    // Byte i holds digit i, the least significant first.
    std::uint64_t chars = v + 0x3030303030303030ULL;
    if constexpr (bits == 4) {
        // Digits from 10 carry into bit 4 when 6 is added: they step on from "9" + 1 to "A".
        chars += (((v + 0x0606060606060606ULL) >> 4) & 0x0101010101010101ULL) * 7;
    }
    if constexpr (std::endian::native == std::endian::little)
        chars = __builtin_bswap64(chars);
    return chars;
}

// Digits of a nonzero value in a power-of-two base of 2, 8 or 16, eight digits at a time.
template <unsigned bits>
std::string UnpackBits(const std::uint64_t* w, std::size_t size) {
    const std::size_t totalBits = (size - 1) * 64 + std::bit_width(w[size - 1]);
    const std::size_t count = (totalBits + bits - 1) / bits;
    if (size == 1) {
        // One word: every group is a plain shift, into a buffer the result is made from.
        char buffer[64];
        char* p = buffer + sizeof buffer;
        for (std::size_t written = 0; written < count; written += 8) {
            const std::uint64_t group = (w[0] >> (written * bits)) & ((1ULL << (8 * bits)) - 1);
            const std::uint64_t chars = EightDigitChars<bits>(group);
            p -= 8;
            std::memcpy(p, &chars, 8);
        }
        return std::string(buffer + sizeof buffer - count, count);
    }
    std::string out(count, '0');
    char* p = out.data() + count;
    std::size_t offset = 0, left = count;
    for (; left >= 8; left -= 8, offset += 8 * bits) {
        const std::uint64_t chars = EightDigitChars<bits>(BitField(w, size, offset, 8 * bits));
        p -= 8;
        std::memcpy(p, &chars, 8);
    }
    if (left > 0) {
        // The last few digits stand at the end of a group of eight, zeros before them.
        const std::uint64_t chars = EightDigitChars<bits>(BitField(w, size, offset, 8 * bits));
        char group[8];
        std::memcpy(group, &chars, 8);
        std::memcpy(out.data(), group + 8 - left, left);
    }
    return out;
}

// The same for the bases 4 and 32, digit by digit.
std::string UnpackBitsOneByOne(const std::uint64_t* w, std::size_t size, unsigned bits) {
    const std::size_t totalBits = (size - 1) * 64 + std::bit_width(w[size - 1]);
    const std::size_t count = (totalBits + bits - 1) / bits;
    std::string out(count, '0');
    for (std::size_t j = 0; j < count; ++j)
        out[count - 1 - j] = kDigitChars[BitField(w, size, j * bits, bits)];
    return out;
}

std::string WriteBits(const std::uint64_t* w, std::size_t size, unsigned bits) {
    if (!HasWordSteps(bits))
        return UnpackBitsOneByOne(w, size, bits);
    return WithDigitBits(bits, [&]<unsigned b>() { return UnpackBits<b>(w, size); });
}

// w = w / d; returns w mod d.
std::uint64_t DivideInPlace(Words& w, std::uint64_t d) {
    std::uint64_t r = 0;
    if (d == kTen19) {
        for (std::size_t i = w.size(); i-- > 0;)
            r = DivideStepTen19(r, w[i], w[i]);
    } else {
        for (std::size_t i = w.size(); i-- > 0;) {
            const Wide cur = (static_cast<Wide>(r) << 64) | w[i];
            w[i] = static_cast<std::uint64_t>(cur / d);
            r = static_cast<std::uint64_t>(cur % d);
        }
    }
    DropZeroWords(w);
    return r;
}

constexpr std::array<char, 200> kDigitPairs = [] {
    std::array<char, 200> pairs{};
    for (int i = 0; i < 100; ++i) {
        pairs[2 * i] = static_cast<char>('0' + i / 10);
        pairs[2 * i + 1] = static_cast<char>('0' + i % 10);
    }
    return pairs;
}();

// The eight decimal digits of v (below 10^8) as characters in one word, the first digit first
// in memory: v is split into halves of four digits, quarters of two and single digits, each
// split done for all parts at once with a multiplication by a scaled reciprocal (exact for
// these ranges: x * 10486 >> 20 is x / 100 below 43,699, x * 103 >> 10 is x / 10 below 179).
std::uint64_t EightDecimalChars(std::uint32_t v) {
    std::uint64_t x = (v / 10000) | (static_cast<std::uint64_t>(v % 10000) << 32);
    std::uint64_t high = ((x * 10486) >> 20) & 0x0000007F0000007FULL;
    x = high | ((x - high * 100) << 16);
    high = ((x * 103) >> 10) & 0x000F000F000F000FULL;
    x = high | ((x - high * 10) << 8);
    return x + 0x3030303030303030ULL;
}

// The 19 digits of v (below 10^19), zeros in front, ending at end.
char* WriteNineteenDecimals(char* end, std::uint64_t v) {
    if constexpr (std::endian::native != std::endian::little) {
        for (int i = 0; i < 19; ++i, v /= 10)
            *--end = static_cast<char>('0' + v % 10);
        return end;
    }
    const std::uint64_t top = v / 10'000'000'000'000'000ULL;
    const std::uint64_t rest = v - top * 10'000'000'000'000'000ULL;
    const auto upper = static_cast<std::uint32_t>(rest / 100'000'000);
    const auto lower = static_cast<std::uint32_t>(rest - std::uint64_t{upper} * 100'000'000);
    const std::uint64_t lowerChars = EightDecimalChars(lower);
    const std::uint64_t upperChars = EightDecimalChars(upper);
    end -= 8;
    std::memcpy(end, &lowerChars, 8);
    end -= 8;
    std::memcpy(end, &upperChars, 8);
    const auto pair = static_cast<unsigned>(top % 100);
    *--end = kDigitPairs[2 * pair + 1];
    *--end = kDigitPairs[2 * pair];
    *--end = static_cast<char>('0' + top / 100);
    return end;
}

// Writes v's digits right-aligned ending at end; width digits when pad, else no leading zeros.
char* WriteChunk(char* end, std::uint64_t v, unsigned base, unsigned width, bool pad) {
    unsigned written = 0;
    if (base == 10 && pad && width == 19)
        return WriteNineteenDecimals(end, v);
    if (base == 10) {
        while (v >= 10) {  // v < 10^(width - written), so a pair always fits
            const auto pair = static_cast<unsigned>(v % 100);
            v /= 100;
            *--end = kDigitPairs[2 * pair + 1];
            *--end = kDigitPairs[2 * pair];
            written += 2;
        }
        while (v != 0 || (pad && written < width)) {
            *--end = static_cast<char>('0' + v % 10);
            v /= 10;
            ++written;
        }
    } else {
        while (v != 0 || (pad && written < width)) {
            *--end = DigitChar(static_cast<unsigned>(v % base));
            v /= base;
            ++written;
        }
    }
    return end;
}

}  // namespace

std::string WriteWord(std::uint64_t v, unsigned base) {
    if (v == 0)
        return "0";
    // Straight from the bits, upper-case letters and all.
    if (const unsigned bits = BitsPerDigit(base); bits != 0)
        return WriteBits(&v, 1, bits);
    if (base == 10 && v >= 100'000'000) {
        // Nineteen digits at once (and a twentieth in front), then the leading zeros dropped.
        char digits[20];
        char* begin = WriteNineteenDecimals(digits + sizeof digits, v % kTen19);
        if (v >= kTen19)
            *--begin = static_cast<char>('0' + v / kTen19);
        else
            while (*begin == '0')
                ++begin;
        return std::string(begin, digits + sizeof digits);
    }
    char buffer[64];
    char* end = std::to_chars(buffer, buffer + sizeof buffer, v, static_cast<int>(base)).ptr;
    if (base > 10) {
        for (char* p = buffer; p != end; ++p)
            *p = UpperAscii(*p);
    }
    return std::string(buffer, end);
}

namespace {

// decimal: base is 10 and every character a decimal digit.
bool TryReadWord(std::string_view s, unsigned base, bool decimal, std::uint64_t& v) {
    v = 0;
    // The first digit is nonzero, so the value is at least base^(length - 1).
    if (const unsigned bits = BitsPerDigit(base); bits != 0 && (s.size() - 1) * bits >= 64)
        return false;
    if (const unsigned bits = BitsPerDigit(base); bits != 0) {
        unsigned seen = 0;
        const std::size_t head = HasWordSteps(bits) ? s.size() % 8 : s.size();
        for (char c : s.substr(0, head)) {
            const unsigned d = Digit(c);
            v = (v << bits) | (d & (base - 1));
            seen |= d;
        }
        for (std::size_t i = head; i < s.size(); i += 8)
            v = (v << (8 * bits)) | ReadEightPowerDigits(s.data() + i, bits, seen);
        // Room left in the word for the first digit (22 octal digits leave it one bit).
        const std::size_t room = 64 - (s.size() - 1) * bits;
        if ((seen >> bits) == 0 && (room >= bits || (Digit(s[0]) >> room) == 0))
            return true;
        v = 0;
    }
    if (decimal && s.size() <= 20)
        return ReadShortDecimal(s, v);
    for (char c : s) {
        if (__builtin_mul_overflow(v, base, &v) || __builtin_add_overflow(v, Digit(c), &v))
            return false;
    }
    return true;
}

// Decimal digits of 2^1024 - 2^970, the least whole number that rounds beyond the largest double.
const std::string& DecimalRangeLimit() {
    static const std::string limit = [] {
        Words w;
        w.assignZeros(16);
        w[15] = ~std::uint64_t{0} << 10;
        return WriteDigits(w, 10);
    }();
    return limit;
}

bool DecimalBeyondDoubleRange(std::string_view s) {
    const std::string& limit = DecimalRangeLimit();
    if (s.size() != limit.size())
        return s.size() > limit.size();
    return s >= limit;
}

}  // namespace

void Words::assignZeros(std::size_t count) {
    size_ = 0;
    reserve(count);
    std::fill_n(data_, count, std::uint64_t{0});
    size_ = count;
}

void Words::reserve(std::size_t count) {
    if (count <= capacity_)
        return;
    std::vector<std::uint64_t> grown(count);
    std::copy_n(data_, size_, grown.data());
    heap_ = std::move(grown);
    data_ = heap_.data();
    capacity_ = count;
}

namespace {

// ReadDigits for a text without leading zeros, not empty; decimal as for TryReadWord.
void ReadStripped(std::string_view s, unsigned base, bool decimal, Words& w) {
    // Plain decimal digits are within their base: no second pass over them.
    if (const unsigned bits = BitsPerDigit(base); bits != 0 && PackBits(s, bits, w))
        return;
    w.assignZeros(0);
    const bool within = decimal || (BitsPerDigit(base) == 0 && DigitsWithinBase(s, base));
    const Chunk chunk = ChunkFor(base, within);
    // Each digit adds at most the bits of its largest value (35 when beyond the base).
    const auto bitsPerDigit = static_cast<std::size_t>(std::bit_width(within ? base - 1 : 35u));
    w.reserve(s.size() * bitsPerDigit / 64 + 2);
    std::size_t first = s.size() % chunk.digits;
    if (first == 0)
        first = chunk.digits;
    if (decimal) {
        MultiplyAdd(w, 0, ReadDecimalChunk(s.substr(0, first)));
        for (std::size_t pos = first; pos < s.size(); pos += chunk.digits) {
            MultiplyAdd(w, chunk.power, ReadDecimalChunk(s.substr(pos, chunk.digits)));
        }
    } else {
        MultiplyAdd(w, 0, ReadChunk(s.substr(0, first), base));
        for (std::size_t pos = first; pos < s.size(); pos += chunk.digits) {
            MultiplyAdd(w, chunk.power, ReadChunk(s.substr(pos, chunk.digits), base));
        }
    }
    DropZeroWords(w);
}

}  // namespace

void ReadDigits(std::string_view digits, unsigned base, Words& w) {
    const std::string_view s = StripZeroDigits(digits);
    if (!s.empty())
        ReadStripped(s, base, base == 10 && AllDecimalDigits(s), w);
}

std::string WriteDigits(Words& value, unsigned base) {
    if (value.empty())
        return "0";
    if (const unsigned bits = BitsPerDigit(base); bits != 0)
        return WriteBits(value.begin(), value.size(), bits);
    if (value.size() == 1)
        return WriteWord(value[0], base);
    const Chunk chunk = ChunkFor(base, true);
    // The digits are written into the result itself, from its end, and moved to its front
    // once: a value below 2^bits has at most bits / floor(log2 base) + 1 digits, and for base
    // 10 at most bits * 0.30127 + 1.
    const std::size_t totalBits = (value.size() - 1) * 64 + std::bit_width(value.back());
    const std::size_t room =
        base == 10 ? totalBits * 1234 / 4096 + 1 : totalBits / (std::bit_width(base) - 1) + 1;
    std::string out(room, '0');
    char* const end = out.data() + out.size();
    char* begin = end;
    while (!value.empty()) {
        const std::uint64_t r = DivideInPlace(value, chunk.power);
        begin = WriteChunk(begin, r, base, chunk.digits, !value.empty());
    }
    out.erase(0, static_cast<std::size_t>(begin - out.data()));
    return out;
}

bool BeyondDoubleRange(const Words& value) {
    if (value.size() != 16)
        return value.size() > 16;
    return value[15] >= (~std::uint64_t{0} << 10);
}

namespace {

// ConvertWhole for a text without leading zeros, not empty; decimal as for TryReadWord.
std::string ConvertStripped(std::string_view s, unsigned from, unsigned to, bool checkRange,
                            bool decimal) {
    if (decimal && to == 10) {
        if (checkRange && DecimalBeyondDoubleRange(s))
            throw OverflowError();
        return std::string(s);
    }
    std::uint64_t word = 0;
    if (s.size() <= 64 && TryReadWord(s, from, decimal, word))
        return WriteWord(word, to);
    // The first digit is nonzero, so the value is at least from^(length - 1): a text far too
    // long for the double range fails before the long work of reading it.
    // No base has more than 5.17 bits per digit, so short texts need no logarithm.
    if (checkRange && s.size() > 199 && static_cast<double>(s.size() - 1) * std::log2(from) > 1025)
        throw OverflowError();
    Words w;
    ReadStripped(s, from, decimal, w);
    if (checkRange && BeyondDoubleRange(w))
        throw OverflowError();
    return WriteDigits(w, to);
}

}  // namespace

std::string ConvertWhole(std::string_view digits, unsigned from, unsigned to, bool checkRange) {
    const std::string_view s = StripZeroDigits(digits);
    if (s.empty())
        return "0";
    return ConvertStripped(s, from, to, checkRange, from == 10 && AllDecimalDigits(s));
}

std::string ConvertPlainDecimal(std::string_view digits, unsigned to) {
    const std::string_view s = StripZeroDigits(digits);
    if (s.empty())
        return "0";
    return ConvertStripped(s, 10, to, true, true);
}

}  // namespace quillora::detail
