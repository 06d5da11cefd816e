#include "FractionDigits.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <vector>

#include "DecimalBlocks.h"
#include "DigitText.h"

namespace quillora::detail {
namespace {

// Fraction digits are worked nine decimal digits per block, first block first, and several
// target or source digits per step: a block times a step factor (at most 2^32) stays within
// 64 bits.

// A value below some small whole number: its whole part and its exact decimal fraction.
struct DecimalFraction {
    std::uint64_t whole = 0;
    Blocks blocks;  // nine fraction digits each, no zero block at the end
    bool exact = true;
};

struct Step {
    unsigned digits;
    std::uint64_t factor;  // base^digits
};

// As many digits of base as one factor of at most 2^32 holds.
Step StepFor(unsigned base) {
    Step step{1, base};
    while (step.factor * base <= (std::uint64_t{1} << 32)) {
        step.factor *= base;
        ++step.digits;
    }
    return step;
}

bool EndsInDecimal(unsigned base) {
    while (base % 2 == 0)
        base /= 2;
    while (base % 5 == 0)
        base /= 5;
    return base == 1;
}

DecimalFraction PlainDecimal(std::string_view digits) {
    DecimalFraction x;
    x.blocks.assign((digits.size() + kBlockDigits - 1) / kBlockDigits, 0);
    for (std::size_t b = 0; b < x.blocks.size(); ++b) {
        // The last block's digits stand at its front, zeros after them.
        const std::size_t count = std::min(kBlockDigits, digits.size() - b * kBlockDigits);
        std::uint32_t v = ReadBlock(digits.data() + b * kBlockDigits, count);
        for (std::size_t i = count; i < kBlockDigits; ++i)
            v *= 10;
        x.blocks[b] = v;
    }
    DropZeroBlocks(x.blocks);
    return x;
}

// x = (top + x) / divisor, extending the fraction until the division ends or cap blocks.
void DivideInto(DecimalFraction& x, std::uint64_t top, std::uint64_t divisor, std::size_t cap) {
    const bool power = std::has_single_bit(divisor);
    const unsigned shift = static_cast<unsigned>(std::countr_zero(divisor));
    const std::uint64_t mask = divisor - 1;
    auto divide = [&](std::uint64_t value, std::uint64_t& rest) {
        rest = power ? value & mask : value % divisor;
        return power ? value >> shift : value / divisor;
    };
    std::uint64_t r = 0;
    x.whole = divide(x.whole + top, r);
    for (auto& block : x.blocks)
        block = static_cast<std::uint32_t>(divide(r * kBlock + block, r));
    while (r != 0 && x.blocks.size() < cap) {
        x.blocks.push_back(static_cast<std::uint32_t>(divide(r * kBlock, r)));
    }
    if (r != 0)
        x.exact = false;
    DropZeroBlocks(x.blocks);
}

// Sum of f[i] * base^-(i+1), read from the last digits: x = (digits + x) / base^count. Bases
// made of 2s and 5s end in decimal; others are cut beyond anything the rounding needs.
DecimalFraction ToDecimal(std::string_view fraction, unsigned base) {
    bool plain = true, within = true;
    for (char c : fraction) {
        plain = plain && IsDecimalDigit(c);
        within = within && DigitValue(c) < base;
    }
    if (base == 10 && plain)
        return PlainDecimal(fraction);
    const std::size_t cap =
        EndsInDecimal(base) ? SIZE_MAX : (fraction.size() * 2 + 40) / kBlockDigits + 1;
    // A digit beyond the base may carry into the whole part: those go one at a time.
    const Step step = within ? StepFor(base) : Step{1, base};
    DecimalFraction x;
    std::size_t end = fraction.size();
    while (end > 0) {
        const std::size_t count = std::min<std::size_t>(end, step.digits);
        std::uint64_t top = 0, divisor = 1;
        for (std::size_t i = end - count; i < end; ++i) {
            top = top * base + DigitValue(fraction[i]);
            divisor *= base;
        }
        DivideInto(x, top, divisor, cap);
        end -= count;
    }
    return x;
}

// digits = digits + add, in base (digits most significant first, no sign).
void AddToWhole(std::string& digits, unsigned base, std::uint64_t add) {
    for (std::size_t i = digits.size(); add != 0 && i-- > 0;) {
        const std::uint64_t cur = DigitValue(digits[i]) + add;
        digits[i] = DigitChar(static_cast<unsigned>(cur % base));
        add = cur / base;
    }
    std::string front;
    for (; add != 0; add /= base)
        front.insert(front.begin(), DigitChar(static_cast<unsigned>(add % base)));
    digits.insert(0, front);
    const auto first = digits.find_first_not_of('0');
    digits.erase(0, first == std::string::npos ? digits.size() - 1 : first);
}

// Multiplies the fraction by factor and returns the whole part that moves out of it.
std::uint64_t TakeWhole(Blocks& blocks, std::uint64_t factor) {
    std::uint64_t carry = 0;
    for (std::size_t i = blocks.size(); i-- > 0;) {
        const std::uint64_t cur = blocks[i] * factor + carry;
        blocks[i] = static_cast<std::uint32_t>(cur % kBlock);
        carry = cur / kBlock;
    }
    DropZeroBlocks(blocks);
    return carry;
}

std::string DecimalDigits(const Blocks& blocks) {
    std::string out(blocks.size() * kBlockDigits, '0');
    for (std::size_t b = 0; b < blocks.size(); ++b)
        WriteBlock(out.data() + b * kBlockDigits, blocks[b], kBlockDigits);
    return out;
}

// Fraction digits in base to, rounded half-up to limit significant digits of the whole value.
std::string RoundedDigits(std::string& whole, DecimalFraction& x, unsigned to) {
    const std::size_t limit = SignificantDigitsFor(to);
    std::size_t significant = whole == "0" ? 0 : whole.size();
    std::string out;
    if (significant == 0 && !x.blocks.empty()) {
        // Leading zero digits, a step at a time, until a step would hold a nonzero digit.
        const Step step = StepFor(to);
        for (Blocks trial = x.blocks; TakeWhole(trial, step.factor) == 0; trial = x.blocks) {
            out.append(step.digits, '0');
            x.blocks = trial;
        }
    }
    while (significant < limit && !x.blocks.empty()) {
        const auto d = static_cast<unsigned>(TakeWhole(x.blocks, to));
        out.push_back(DigitChar(d));
        if (significant > 0 || d != 0)
            ++significant;
    }
    // Half-up: what is left is at least one half when its first decimal digit is 5 or more.
    if (!x.blocks.empty() && x.blocks.front() >= kBlock / 2) {
        std::size_t i = out.size();
        for (; i-- > 0;) {
            const unsigned d = DigitValue(out[i]) + 1;
            out[i] = DigitChar(d % to);
            if (d < to)
                break;
        }
        if (i == static_cast<std::size_t>(-1))
            AddToWhole(whole, to, 1);
    }
    return out;
}

}  // namespace

unsigned SignificantDigitsFor(unsigned base) {
    return static_cast<unsigned>(std::ceil(15.0 / std::log10(static_cast<double>(base)) - 1e-9));
}

std::string AppendFraction(std::string whole, std::string_view fraction, unsigned from,
                           unsigned to) {
    DecimalFraction x = ToDecimal(fraction, from);
    if (x.whole != 0)
        AddToWhole(whole, to, x.whole);
    std::string out = to == 10 && x.exact ? DecimalDigits(x.blocks) : RoundedDigits(whole, x, to);
    while (!out.empty() && out.back() == '0')
        out.pop_back();
    if (out.empty())
        return whole;
    return whole + "." + out;
}

}  // namespace quillora::detail
