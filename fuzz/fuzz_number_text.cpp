// TextToNumber, IsNumeric and NumberToText against the C library: any bytes
// either read as the double strtod gives for the same written form or fail
// with "Type mismatch" or "Overflow"; IsNumeric agrees with TextToNumber; and
// every finite value written back as text reads again as the same 15
// significant digits.
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

#include "engine/NumberText.h"
#include "fuzz/FuzzCheck.h"

using namespace quillora;
using namespace quillora::fuzz;

namespace {

constexpr std::size_t kLongestInput = 1 << 14;

bool Digit(char c) {
    return c >= '0' && c <= '9';
}
bool HexDigit(char c) {
    return Digit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

std::string_view Trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) {
        s.remove_prefix(1);
    }
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) {
        s.remove_suffix(1);
    }
    return s;
}

// [+-] (digits [. digits] | . digits) [(E|e) [+-] digits], nothing else.
bool PlainDecimal(std::string_view s) {
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        ++i;
    }
    std::size_t digits = 0;
    for (; i < s.size() && Digit(s[i]); ++i) {
        ++digits;
    }
    if (i < s.size() && s[i] == '.') {
        for (++i; i < s.size() && Digit(s[i]); ++i) {
            ++digits;
        }
    }
    if (digits == 0) {
        return false;
    }
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
            ++i;
        }
        const std::size_t start = i;
        for (; i < s.size() && Digit(s[i]); ++i) {
        }
        if (i == start) {
            return false;
        }
    }
    return i == s.size();
}

// What the text should read as, by strtod in the C locale.
Outcome<double> Expected(std::string_view text) {
    const std::string_view s = Trimmed(text);
    std::string written;
    if (s.size() > 2 && s[0] == '&' && (s[1] == 'H' || s[1] == 'h')) {
        for (char c : s.substr(2)) {
            if (!HexDigit(c)) {
                return {0, "Type mismatch"};
            }
        }
        written = "0x" + std::string(s.substr(2));
    } else if (PlainDecimal(s)) {
        written = std::string(s);
    } else {
        return {0, "Type mismatch"};
    }
    errno = 0;
    const double value = std::strtod(written.c_str(), nullptr);
    if (errno == ERANGE && std::isinf(value)) {
        return {0, "Overflow"};
    }
    return {value, ""};
}

bool SameDouble(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

std::string Exact(double v) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.17g", v);
    return buffer;
}

// The general format of 15 significant digits: "%.15G" of the C library, zero unsigned, and
// the largest doubles rounded down rather than up beyond the double range.
std::string ExpectedText(double v) {
    if (v == 0) {
        return "0";
    }
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15G", v);
    std::string text = buffer;
    constexpr std::string_view kBeyond = "1.79769313486232E+308";
    if (const auto at = text.find(kBeyond); at != std::string::npos) {
        text.replace(at, kBeyond.size(), "1.79769313486231E+308");
    }
    return text;
}

void CheckRoundTrip(double v) {
    const std::string text = NumberToText(v);
    Require(text == ExpectedText(v),
            "NumberToText(" + Exact(v) + ") gave " + text + ", not " + ExpectedText(v));
    const auto back = Attempt<double>([&] { return TextToNumber(text); }, text);
    Require(!back.failed(), "NumberToText(" + Exact(v) + ") gave " + text +
                                ", which TextToNumber refuses with " + back.failure);
    Require(NumberToText(back.value) == text, "the text " + text + " reads back as " +
                                                  Exact(back.value) + ", which writes as " +
                                                  NumberToText(back.value));
    // Half a unit of the fifteenth digit, then the rounding of the reading itself.
    const double ulp = std::fabs(std::nextafter(v, 0.0) - v);
    const double tolerance = std::fabs(v) * 5e-15 + ulp;
    Require(std::fabs(back.value - v) <= tolerance,
            Exact(v) + " came back as " + Exact(back.value) + " through " + text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > kLongestInput) {
        return 0;
    }
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string shown = "\"" + Printable(text) + "\"";
    // The first bytes as a double reach values no short text does: subnormals, the range's ends.
    if (size >= sizeof(double)) {
        double raw;
        std::memcpy(&raw, data, sizeof raw);
        if (std::isfinite(raw)) {
            CheckRoundTrip(raw);
        }
    }

    const auto got = Attempt<double>([&] { return TextToNumber(text); }, shown);
    Require(IsNumeric(text) == !got.failed(), "IsNumeric disagrees with TextToNumber on " + shown);
    Require(!got.failed() || got.failure == "Type mismatch" || got.failure == "Overflow",
            "TextToNumber(" + shown + ") failed with " + got.failure);

    const auto want = Expected(text);
    Require(got.failure == want.failure, "TextToNumber(" + shown + ") failed with \"" +
                                             got.failure + "\", expected \"" + want.failure + "\"");
    if (got.failed()) {
        return 0;
    }
    Require(std::isfinite(got.value), "TextToNumber(" + shown + ") gave " + Exact(got.value));
    Require(
        SameDouble(got.value, want.value),
        "TextToNumber(" + shown + ") gave " + Exact(got.value) + ", strtod " + Exact(want.value));
    CheckRoundTrip(got.value);
    return 0;
}
