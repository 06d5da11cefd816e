// ConvertNumber between the bases 2, 8, 10 and 16 (and, now and then, bases
// written as any text). Whole numbers must agree with GMP, fail with
// "Overflow" exactly when they do not round to a finite double, and come back
// unchanged from the target base; any other text (sign, fraction, exponent,
// stray characters) gives digits of the target base with an optional leading
// "-" and at most one ".", or an engine failure.
#include <gmp.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "engine/NumberSystem.h"
#include "fuzz/FuzzCheck.h"

using namespace quillora;
using namespace quillora::fuzz;

namespace {

// Long enough for every whole number of the double range in binary, with room to spare for
// fractions and exponents; short enough that one conversion takes milliseconds.
constexpr std::size_t kLongestText = 3000;
constexpr std::array<unsigned, 4> kBases{2, 8, 10, 16};
// Bytes of the text-shaped inputs map onto what conversions meet in practice.
constexpr std::string_view kAlphabet = "0123456789ABCDEFabcdefZz.-+eE \t";

char DigitChar(unsigned v) {
    return static_cast<char>(v < 10 ? '0' + v : 'A' + (v - 10));
}

// The digit value of an output character, or 99 for anything else.
unsigned OutputDigit(char c) {
    if (c >= '0' && c <= '9') {
        return static_cast<unsigned>(c - '0');
    }
    if (c >= 'A' && c <= 'Z') {
        return static_cast<unsigned>(c - 'A') + 10;
    }
    return 99;
}

// -? digits (. digits)?, every digit below base, letters upper-case, never "-0".
bool BaseText(std::string_view s, unsigned base) {
    if (!s.empty() && s.front() == '-') {
        s.remove_prefix(1);
        if (s == "0") {
            return false;
        }
    }
    const std::size_t point = s.find('.');
    const std::string_view whole = s.substr(0, point);
    const std::string_view fraction =
        point == std::string_view::npos ? std::string_view{} : s.substr(point + 1);
    if (whole.empty() || (point != std::string_view::npos && fraction.empty())) {
        return false;
    }
    for (std::string_view part : {whole, fraction}) {
        for (char c : part) {
            if (OutputDigit(c) >= base) {
                return false;
            }
        }
    }
    return true;
}

class Big {
  public:
    Big() { mpz_init(value_); }
    ~Big() { mpz_clear(value_); }
    Big(const Big&) = delete;
    Big& operator=(const Big&) = delete;
    mpz_ptr get() { return value_; }
    std::string text(unsigned base) {
        std::string out(mpz_sizeinbase(value_, static_cast<int>(base)) + 2, '\0');
        mpz_get_str(out.data(), static_cast<int>(base), value_);
        out.resize(out.find('\0'));
        for (char& c : out) {
            if (c >= 'a' && c <= 'z') {
                c = static_cast<char>(c - 32);
            }
        }
        return out;
    }

  private:
    mpz_t value_;
};

// Whole numbers of valid digits: exact against GMP, then back again.
void CheckWhole(std::string_view payload, unsigned from, unsigned to, bool negative) {
    std::string digits;
    for (char byte : payload) {
        const auto b = static_cast<unsigned char>(byte);
        char c = DigitChar(b % from);
        if (c >= 'A' && (b & 0x80) != 0) {
            c = static_cast<char>(c + 32);  // input letters may be of either case
        }
        digits.push_back(c);
    }
    Big value, limit;
    if (!digits.empty()) {
        Require(mpz_set_str(value.get(), digits.c_str(), static_cast<int>(from)) == 0,
                "GMP refused " + digits);
    }
    // The first whole number that no longer rounds to a finite double: 2^1024 - 2^970.
    mpz_ui_pow_ui(limit.get(), 2, 1024);
    Big step;
    mpz_ui_pow_ui(step.get(), 2, 970);
    mpz_sub(limit.get(), limit.get(), step.get());
    const bool beyond = mpz_cmp(value.get(), limit.get()) >= 0;
    const bool zero = mpz_sgn(value.get()) == 0;

    const std::string text = (negative ? "-" : "") + digits;
    const std::string call = "ConvertNumber(\"" + Printable(text) + "\", " + std::to_string(from) +
                             ", " + std::to_string(to) + ")";
    const auto got = Attempt<std::string>(
        [&] { return ConvertNumber(text, std::to_string(from), std::to_string(to)); }, call);
    if (beyond) {
        Require(got.failure == "Overflow",
                call + " beyond the double range gave \"" + got.value + got.failure + "\"");
        return;
    }
    Require(!got.failed(), call + " failed with " + got.failure);
    const std::string sign = negative && !zero ? "-" : "";
    const std::string want = sign + value.text(to);
    Require(got.value == want, call + " gave " + got.value + ", expected " + want);

    const std::string backCall = "ConvertNumber(\"" + got.value + "\", " + std::to_string(to) +
                                 ", " + std::to_string(from) + ")";
    const auto back = Attempt<std::string>(
        [&] { return ConvertNumber(got.value, std::to_string(to), std::to_string(from)); },
        backCall);
    const std::string original = sign + value.text(from);
    Require(back.value == original,
            backCall + " gave \"" + back.value + back.failure + "\", expected " + original);
}

void CheckText(const std::string& text, const std::string& fromText, const std::string& toText,
               unsigned to) {
    const std::string call = "ConvertNumber(\"" + Printable(text) + "\", \"" + Printable(fromText) +
                             "\", \"" + Printable(toText) + "\")";
    const auto got =
        Attempt<std::string>([&] { return ConvertNumber(text, fromText, toText); }, call);
    // to is 0 when either base is outside 2 to 36.
    if (got.failed()) {
        const bool allowed =
            to == 0 ? got.failure == "Type mismatch" || got.failure == "Division by zero"
                    : got.failure == "Overflow" || got.failure == "Type mismatch";
        Require(allowed, call + " failed with " + got.failure);
        return;
    }
    Require(to != 0, call + " accepted a base it should refuse: gave " + got.value);
    Require(BaseText(got.value, to), call + " gave \"" + Printable(got.value) +
                                         "\", not a number in base " + std::to_string(to));
}

// A base handed over as text: its value when it is 2 to 36 in plain decimal digits, else 0.
unsigned BaseValue(std::string_view text) {
    if (text.empty() || text.size() > 9) {
        return 0;
    }
    unsigned value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return 0;
        }
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    return value >= 2 && value <= 36 ? value : 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1 || size > kLongestText + 1) {
        return 0;
    }
    const unsigned control = data[0];
    const unsigned from = kBases[control & 3];
    const unsigned to = kBases[(control >> 2) & 3];
    const unsigned mode = (control >> 4) & 7;
    const bool negative = (control & 0x80) != 0;
    std::string_view payload(reinterpret_cast<const char*>(data + 1), size - 1);

    if (mode < 3) {
        CheckWhole(payload, from, to, negative);
    } else if (mode < 5) {
        std::string text;
        for (char byte : payload) {
            text.push_back(kAlphabet[static_cast<unsigned char>(byte) % kAlphabet.size()]);
        }
        CheckText(text, std::to_string(from), std::to_string(to), to);
    } else if (mode < 7) {
        CheckText(std::string(payload), std::to_string(from), std::to_string(to), to);
    } else {
        // Bases as any text: two length-prefixed pieces, then the value.
        std::string pieces[2];
        for (std::string& piece : pieces) {
            const std::size_t length =
                payload.empty() ? 0
                                : std::min<std::size_t>(static_cast<unsigned char>(payload[0]) % 12,
                                                        payload.size() - 1);
            if (!payload.empty()) {
                piece = std::string(payload.substr(1, length));
                payload.remove_prefix(1 + length);
            }
        }
        const unsigned fromValue = BaseValue(pieces[0]), toValue = BaseValue(pieces[1]);
        CheckText(std::string(payload), pieces[0], pieces[1], fromValue == 0 ? 0 : toValue);
    }
    return 0;
}
