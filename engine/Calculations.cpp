#include "Calculations.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "DecimalBlocks.h"
#include "DigitText.h"
#include "EngineError.h"
#include "NumberText.h"

namespace quillora {
namespace {

using detail::RequireDecimalDigits;

// Products are worked in blocks of nine decimal digits, least significant block first.
using detail::Blocks;
using detail::kBlock;
using detail::kBlockDigits;

// A power whose result would pass this many digits is refused rather than attempted: a small
// base and a large exponent would otherwise hold the caller for minutes.
constexpr double kLongestPower = 100'000;

std::string Normalised(std::string_view s) {
    const std::size_t first = s.find_first_not_of('0');
    return first == std::string_view::npos ? "0" : std::string(s.substr(first));
}

Blocks ToBlocks(std::string_view s) {
    s = s.substr(std::min(s.size(), s.find_first_not_of('0')));
    Blocks blocks;
    blocks.reserve(s.size() / kBlockDigits + 1);
    for (std::size_t end = s.size(); end > 0;) {
        const std::size_t begin = end > kBlockDigits ? end - kBlockDigits : 0;
        blocks.push_back(detail::ReadBlock(s.data() + begin, end - begin));
        end = begin;
    }
    return blocks;
}

std::string FromBlocks(const Blocks& blocks) {
    std::size_t top = blocks.size();
    while (top > 0 && blocks[top - 1] == 0)
        --top;
    if (top == 0)
        return "0";
    std::string out = std::to_string(blocks[top - 1]);
    const std::size_t lead = out.size();
    out.resize(lead + (top - 1) * kBlockDigits);
    for (std::size_t i = top - 1, at = lead; i-- > 0; at += kBlockDigits)
        detail::WriteBlock(out.data() + at, blocks[i], kBlockDigits);
    return out;
}

Blocks MultiplyBlocks(const Blocks& a, const Blocks& b) {
    if (a.empty() || b.empty())
        return {};
    std::vector<std::uint64_t> acc(a.size() + b.size(), 0);
    for (std::size_t i = 0; i < a.size(); ++i) {
        std::uint64_t carry = 0;
        for (std::size_t j = 0; j < b.size(); ++j) {
            const std::uint64_t cur = acc[i + j] + static_cast<std::uint64_t>(a[i]) * b[j] + carry;
            acc[i + j] = cur % kBlock;
            carry = cur / kBlock;
        }
        acc[i + b.size()] += carry;
    }
    Blocks out(acc.begin(), acc.end());
    detail::DropZeroBlocks(out);
    return out;
}

// A small divisor: decimal text of a value from 1 to 2^31 - 1.
std::uint32_t SmallDivisor(std::string_view d) {
    if (d.empty())
        throw TypeMismatchError();
    RequireDecimalDigits(d);
    const std::string_view digits = d.substr(std::min(d.size(), d.find_first_not_of('0')));
    if (digits.size() > 10)
        throw OverflowError();
    std::uint64_t value = 0;
    for (char c : digits)
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    if (value == 0)
        throw DivisionByZeroError();
    if (value > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()))
        throw OverflowError();
    return static_cast<std::uint32_t>(value);
}

// Schoolbook division nine digits at a time; the quotient's digits go to quotient when given.
std::uint64_t DivideBlocks(std::string_view p, std::uint32_t d, std::string* quotient) {
    RequireDecimalDigits(p);
    std::uint64_t r = 0;
    std::size_t begin = 0;
    std::size_t width = p.size() % kBlockDigits;
    if (width == 0)
        width = kBlockDigits;
    char buffer[kBlockDigits];
    for (; begin < p.size(); begin += width, width = kBlockDigits) {
        r = r * kBlock + detail::ReadBlock(p.data() + begin, width);
        if (quotient != nullptr) {
            detail::WriteBlock(buffer, r / d, width);
            quotient->append(buffer, width);
        }
        r %= d;
    }
    return r;
}

}  // namespace

std::string AddDecimalStrings(std::string_view a, std::string_view b, int /*k*/) {
    // The chunk width only shaped how the sum used to be formed; the sum is exact for any.
    RequireDecimalDigits(a);
    RequireDecimalDigits(b);
    if (a.size() < b.size())
        std::swap(a, b);
    std::string out(a.size() + 1, '0');
    int carry = 0;
    std::size_t i = a.size(), j = b.size();
    while (i > 0) {
        int sum = a[--i] - '0' + carry;
        if (j > 0)
            sum += b[--j] - '0';
        carry = sum >= 10;
        out[i + 1] = static_cast<char>('0' + sum - 10 * carry);
    }
    out[0] = static_cast<char>('0' + carry);
    return Normalised(out);
}

std::string MultiplyByDigit(std::string_view p, std::string_view d) {
    RequireDecimalDigits(p);
    // The digit is read as a 16-bit whole number and counts the additions made.
    const double n = std::nearbyint(TextToNumber(d));
    if (n < -32768 || n > 32767)
        throw OverflowError();
    if (n < 1)
        return "";
    return FromBlocks(MultiplyBlocks(ToBlocks(p), {static_cast<std::uint32_t>(n)}));
}

std::string MultiplyDecimalStrings(std::string_view p, std::string_view q) {
    if (q.size() == 1)
        return MultiplyByDigit(p, q);
    RequireDecimalDigits(p);
    RequireDecimalDigits(q);
    return FromBlocks(MultiplyBlocks(ToBlocks(p), ToBlocks(q)));
}

std::string PowerDecimalString(std::string_view p, std::string_view e) {
    const double count = std::floor(TextToNumber(e));
    if (!(count >= 1))
        return "1";
    RequireDecimalDigits(p);
    // Each step multiplied by p: a one-digit "0" gives MultiplyByDigit's empty text.
    if (p == "0")
        return "";
    Blocks base = ToBlocks(p);
    if (base.empty())
        return "0";
    if (base.size() == 1 && base[0] == 1)
        return "1";
    const std::string digits = Normalised(p);
    const std::size_t lead = std::min<std::size_t>(digits.size(), 15);
    const double log10 =
        std::log10(std::stod(digits.substr(0, lead))) + static_cast<double>(digits.size() - lead);
    if (count * log10 > kLongestPower)
        throw OverflowError();
    Blocks result{1};
    for (auto n = static_cast<std::uint64_t>(count); n != 0; n >>= 1) {
        if (n & 1)
            result = MultiplyBlocks(result, base);
        if (n > 1)
            base = MultiplyBlocks(base, base);
    }
    return FromBlocks(result);
}

std::string DivideDecimalString(std::string_view p, std::string_view d) {
    const std::uint32_t divisor = SmallDivisor(d);
    std::string quotient;
    quotient.reserve(p.size());
    DivideBlocks(p, divisor, &quotient);
    return Normalised(quotient);
}

std::string RemainderDecimalString(std::string_view p, std::string_view d) {
    return std::to_string(DivideBlocks(p, SmallDivisor(d), nullptr));
}

std::string PadLeftZeros(std::string_view s, long long n) {
    const auto length = static_cast<long long>(s.size());
    if (n < length || n > std::numeric_limits<std::int32_t>::max())
        return "";
    std::string out(static_cast<std::size_t>(n - length), '0');
    out += s;
    return out;
}

std::string TrimLeadingChar(std::string_view s, char c, bool keepOne) {
    const std::size_t first = s.find_first_not_of(c);
    if (first != std::string_view::npos)
        return std::string(s.substr(first));
    return keepOne ? std::string(1, c) : std::string();
}

bool IsAllZeros(std::string_view s) {
    return s.find_first_not_of('0') == std::string_view::npos;
}

double CeilToMultiple(double x, int k) {
    if (k == 0)
        throw DivisionByZeroError();
    const double step = std::abs(static_cast<double>(k));
    const double rest = std::fmod(x, step);
    if (rest == 0)
        return x;
    return x - rest + (rest > 0 ? step : 0);
}

double MaxOfTwo(double x, double y) {
    // Exactly the larger one: halving the sum and the distance loses digits and overflows.
    if (std::isnan(x) || std::isnan(y))
        return std::numeric_limits<double>::quiet_NaN();
    return x < y ? y : x;
}

std::string ReverseString(std::string_view s) {
    return std::string(s.rbegin(), s.rend());
}

}  // namespace quillora
