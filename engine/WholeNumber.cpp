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

// Bits per digit for a power-of-two base, 0 otherwise.
unsigned BitsPerDigit(unsigned base) {
    return std::has_single_bit(base) ? static_cast<unsigned>(std::countr_zero(base)) : 0;
}

bool DigitsWithinBase(std::string_view s, unsigned base) {
    for (char c : s) {
        if (Digit(c) >= base)
            return false;
    }
    return true;
}

// Eight characters at a time: every byte has the high nibble 3, and adding 6 carries none of
// the low nibbles into it (so none is above 9).
bool AllDecimalDigits(std::string_view s) {
    constexpr std::uint64_t kHigh = 0xF0F0F0F0F0F0F0F0ULL;
    constexpr std::uint64_t kThrees = 0x3030303030303030ULL;
    constexpr std::uint64_t kSixes = 0x0606060606060606ULL;
    std::size_t i = 0;
    for (; i + 8 <= s.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, s.data() + i, sizeof word);
        if ((word & kHigh) != kThrees || ((word + kSixes) & kHigh) != kThrees)
            return false;
    }
    for (; i < s.size(); ++i) {
        if (!IsDecimalDigit(s[i]))
            return false;
    }
    return true;
}

std::uint64_t ReadDecimalChunk(std::string_view s) {
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

Chunk ChunkFor(unsigned base, bool withinBase) {
    const std::uint64_t limit = std::numeric_limits<std::uint64_t>::max() / (withinBase ? 1 : 36);
    Chunk chunk{1, base};
    while (chunk.power <= limit / base) {
        chunk.power *= base;
        ++chunk.digits;
    }
    return chunk;
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

// Digits of a power-of-two base. When a digit's width divides 64 (bases 2, 4, 16) each word
// is read whole from its own digits; otherwise digits may straddle two words.
Words PackBits(std::string_view s, unsigned bits) {
    Words w((s.size() * bits + 63) / 64, 0);
    if (64 % bits == 0) {
        const std::size_t perWord = 64 / bits;
        std::size_t end = s.size();
        for (std::size_t index = 0; end > 0; ++index) {
            const std::size_t begin = end > perWord ? end - perWord : 0;
            std::uint64_t v = 0;
            for (std::size_t i = begin; i < end; ++i)
                v = (v << bits) | Digit(s[i]);
            w[index] = v;
            end = begin;
        }
    } else {
        std::size_t index = 0;
        std::uint64_t word = 0;
        unsigned held = 0;
        for (std::size_t i = s.size(); i-- > 0;) {
            const std::uint64_t d = Digit(s[i]);
            word |= d << held;
            held += bits;
            if (held >= 64) {
                w[index++] = word;
                held -= 64;
                word = held > 0 ? d >> (bits - held) : 0;
            }
        }
        if (held > 0)
            w[index] = word;
    }
    DropZeroWords(w);
    return w;
}

std::string UnpackBits(const Words& w, unsigned bits) {
    const std::size_t totalBits = (w.size() - 1) * 64 + std::bit_width(w.back());
    const std::size_t count = (totalBits + bits - 1) / bits;
    const std::uint64_t mask = (std::uint64_t{1} << bits) - 1;
    std::string out(count, '0');
    char* const last = out.data() + count - 1;
    if (64 % bits == 0) {
        const std::size_t perWord = 64 / bits;
        std::size_t j = 0;
        for (const std::uint64_t word : w) {
            std::uint64_t v = word;
            for (std::size_t k = 0; k < perWord && j < count; ++k, ++j) {
                *(last - j) = kDigitChars[v & mask];
                v >>= bits;
            }
        }
        return out;
    }
    // Digits straddle words: each word's bits follow the few left over from the one before.
    std::size_t j = 0;
    std::uint64_t left = 0;
    unsigned leftBits = 0;
    for (const std::uint64_t word : w) {
        std::uint64_t v = word;
        unsigned available = 64;
        if (leftBits > 0) {
            const unsigned taken = bits - leftBits;
            *(last - j++) = kDigitChars[(left | (v << leftBits)) & mask];
            v >>= taken;
            available -= taken;
        }
        for (; available >= bits && j < count; available -= bits) {
            *(last - j++) = kDigitChars[v & mask];
            v >>= bits;
        }
        left = v;
        leftBits = available;
    }
    if (j < count)
        *(last - j) = kDigitChars[left & mask];
    return out;
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

// Writes v's digits right-aligned ending at end; width digits when pad, else no leading zeros.
char* WriteChunk(char* end, std::uint64_t v, unsigned base, unsigned width, bool pad) {
    unsigned written = 0;
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

std::string WriteWord(std::uint64_t v, unsigned base) {
    char buffer[64];
    if (const unsigned bits = BitsPerDigit(base); bits != 0) {
        // Straight from the bits, upper-case letters and all.
        char* begin = buffer + sizeof buffer;
        do {
            *--begin = kDigitChars[v & (base - 1)];
            v >>= bits;
        } while (v != 0);
        return std::string(begin, buffer + sizeof buffer);
    }
    char* end = std::to_chars(buffer, buffer + sizeof buffer, v, static_cast<int>(base)).ptr;
    if (base > 10) {
        for (char* p = buffer; p != end; ++p)
            *p = UpperAscii(*p);
    }
    return std::string(buffer, end);
}

bool TryReadWord(std::string_view s, unsigned base, std::uint64_t& v) {
    v = 0;
    // The first digit is nonzero, so the value is at least base^(length - 1).
    if (const unsigned bits = BitsPerDigit(base); bits != 0 && (s.size() - 1) * bits >= 64)
        return false;
    if (const unsigned bits = BitsPerDigit(base); bits != 0 && s.size() * bits <= 64) {
        std::uint64_t beyond = 0;
        for (char c : s) {
            const unsigned d = Digit(c);
            v = (v << bits) | (d & (base - 1));
            beyond |= d >> bits;
        }
        if (beyond == 0)
            return true;
        v = 0;
    }
    // Up to 19 decimal digits cannot overflow: eight at a time, without the checks; a
    // twentieth is checked on its own.
    if (base == 10 && s.size() <= 20 && AllDecimalDigits(s)) {
        v = ReadDecimalChunk(s.substr(0, 19));
        return s.size() < 20 || (!__builtin_mul_overflow(v, 10u, &v) &&
                                 !__builtin_add_overflow(v, Digit(s[19]), &v));
    }
    for (char c : s) {
        if (__builtin_mul_overflow(v, base, &v) || __builtin_add_overflow(v, Digit(c), &v))
            return false;
    }
    return true;
}

// Decimal digits of 2^1024 - 2^970, the least whole number that rounds beyond the largest double.
const std::string& DecimalRangeLimit() {
    static const std::string limit = [] {
        Words w(16, 0);
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

Words ReadDigits(std::string_view digits, unsigned base) {
    const std::string_view s = StripZeroDigits(digits);
    Words w;
    if (s.empty())
        return w;
    // Plain decimal digits are within their base: no second pass over them.
    const bool decimal = base == 10 && AllDecimalDigits(s);
    const bool within = decimal || DigitsWithinBase(s, base);
    if (const unsigned bits = BitsPerDigit(base); bits != 0 && within)
        return PackBits(s, bits);
    const Chunk chunk = ChunkFor(base, within);
    w.reserve(s.size() * 6 / 64 + 2);
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
    return w;
}

std::string WriteDigits(Words value, unsigned base) {
    if (value.empty())
        return "0";
    if (const unsigned bits = BitsPerDigit(base); bits != 0)
        return UnpackBits(value, bits);
    if (value.size() == 1)
        return WriteWord(value[0], base);
    const Chunk chunk = ChunkFor(base, true);
    // At least one bit per digit for base 3 and up: 64 digits per word is an upper bound.
    std::string buffer(value.size() * 64 + 1, '0');
    char* const end = buffer.data() + buffer.size();
    char* begin = end;
    while (!value.empty()) {
        const std::uint64_t r = DivideInPlace(value, chunk.power);
        begin = WriteChunk(begin, r, base, chunk.digits, !value.empty());
    }
    return std::string(begin, end);
}

bool BeyondDoubleRange(const Words& value) {
    if (value.size() != 16)
        return value.size() > 16;
    return value[15] >= (~std::uint64_t{0} << 10);
}

std::string ConvertWhole(std::string_view digits, unsigned from, unsigned to, bool checkRange) {
    const std::string_view s = StripZeroDigits(digits);
    if (s.empty())
        return "0";
    if (from == 10 && to == 10 && AllDecimalDigits(s)) {
        if (checkRange && DecimalBeyondDoubleRange(s))
            throw OverflowError();
        return std::string(s);
    }
    std::uint64_t word = 0;
    if (s.size() <= 64 && TryReadWord(s, from, word))
        return WriteWord(word, to);
    // The first digit is nonzero, so the value is at least from^(length - 1): a text far too
    // long for the double range fails before the long work of reading it.
    // No base has more than 5.17 bits per digit, so short texts need no logarithm.
    if (checkRange && s.size() > 199 && static_cast<double>(s.size() - 1) * std::log2(from) > 1025)
        throw OverflowError();
    Words w = ReadDigits(s, from);
    if (checkRange && BeyondDoubleRange(w))
        throw OverflowError();
    return WriteDigits(std::move(w), to);
}

}  // namespace quillora::detail
