#include "FractionDigits.h"

#include <cmath>
#include <cstdint>
#include <vector>

#include "DigitText.h"

namespace quillora::detail {
namespace {

// A value below some small whole number, as a whole part and exact decimal fraction digits.
struct DecimalFraction {
    unsigned whole = 0;
    std::vector<std::uint8_t> digits;  // after the point, no trailing zeros
    bool exact = true;
};

bool EndsInDecimal(unsigned base) {
    while (base % 2 == 0)
        base /= 2;
    while (base % 5 == 0)
        base /= 5;
    return base == 1;
}

void DropTrailingZeros(std::vector<std::uint8_t>& digits) {
    while (!digits.empty() && digits.back() == 0)
        digits.pop_back();
}

// Sum of f[i] * base^-(i+1), read from the last digit: x = (f[i] + x) / base. Bases made of
// 2s and 5s end in decimal; others are cut at a length beyond anything the rounding needs.
DecimalFraction ToDecimal(std::string_view fraction, unsigned base) {
    DecimalFraction x;
    if (base == 10) {
        bool plain = true;
        for (char c : fraction)
            plain = plain && IsDecimalDigit(c);
        if (plain) {
            for (char c : fraction)
                x.digits.push_back(static_cast<std::uint8_t>(c - '0'));
            DropTrailingZeros(x.digits);
            return x;
        }
    }
    const bool ends = EndsInDecimal(base);
    const std::size_t cap = fraction.size() * 2 + 40;
    for (std::size_t i = fraction.size(); i-- > 0;) {
        unsigned r = x.whole + DigitValue(fraction[i]);
        x.whole = r / base;
        r %= base;
        for (auto& d : x.digits) {
            const unsigned cur = r * 10 + d;
            d = static_cast<std::uint8_t>(cur / base);
            r = cur % base;
        }
        while (r != 0 && (ends || x.digits.size() < cap)) {
            const unsigned cur = r * 10;
            x.digits.push_back(static_cast<std::uint8_t>(cur / base));
            r = cur % base;
        }
        if (r != 0)
            x.exact = false;
        DropTrailingZeros(x.digits);
    }
    return x;
}

// digits = digits + add, in base (digits most significant first, no sign).
void AddToWhole(std::string& digits, unsigned base, unsigned add) {
    for (std::size_t i = digits.size(); add != 0 && i-- > 0;) {
        const unsigned cur = DigitValue(digits[i]) + add;
        digits[i] = DigitChar(cur % base);
        add = cur / base;
    }
    std::string front;
    while (add != 0) {
        front.insert(front.begin(), DigitChar(add % base));
        add /= base;
    }
    digits.insert(0, front);
    const auto first = digits.find_first_not_of('0');
    digits.erase(0, first == std::string::npos ? digits.size() - 1 : first);
}

// Multiplies the fraction by base and returns the whole digit that moves out of it.
unsigned NextDigit(std::vector<std::uint8_t>& digits, unsigned base) {
    unsigned carry = 0;
    for (std::size_t i = digits.size(); i-- > 0;) {
        const unsigned cur = digits[i] * base + carry;
        digits[i] = static_cast<std::uint8_t>(cur % 10);
        carry = cur / 10;
    }
    DropTrailingZeros(digits);
    return carry;
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
    std::string out;
    if (to == 10 && x.exact) {
        for (auto d : x.digits)
            out.push_back(static_cast<char>('0' + d));
    } else {
        const std::size_t limit = SignificantDigitsFor(to);
        std::size_t significant = whole == "0" ? 0 : whole.size();
        while (significant < limit && !x.digits.empty()) {
            const unsigned d = NextDigit(x.digits, to);
            out.push_back(DigitChar(d));
            if (significant > 0 || d != 0)
                ++significant;
        }
        // Half-up: what is left is at least one half when its first decimal digit is 5 or more.
        if (!x.digits.empty() && x.digits.front() >= 5) {
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
        while (!out.empty() && out.back() == '0')
            out.pop_back();
    }
    if (out.empty())
        return whole;
    return whole + "." + out;
}

}  // namespace quillora::detail
