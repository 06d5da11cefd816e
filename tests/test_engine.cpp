#ifdef QUILLORA_WITH_GMP
#include <gmp.h>
#endif
#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <limits>
#include <map>
#include <optional>
#include <ostream>
#include <random>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "engine/Calculations.h"
#include "engine/EngineError.h"
#include "engine/EntryValidation.h"
#include "engine/NumberSystem.h"
#include "engine/NumberText.h"
#include "engine/PlainWordReading.h"
#include "engine/PowerOfTwoReading.h"

using namespace quillora;

namespace {

// The description a failed call reports, or "" when it succeeds.
template <class Call>
std::string Failure(Call&& call) {
    try {
        call();
    } catch (const EngineError& e) {
        return e.what();
    }
    return "";
}

// TextToNumber reads text as the C library reads it: the same double, or
// "Overflow" where the C library gives an infinity.
void ExpectReadsLikeTheCLibrary(const std::string& text, double expected) {
    if (std::isinf(expected)) {
        EXPECT_EQ(Failure([&] { TextToNumber(text); }), "Overflow") << text;
    } else {
        ASSERT_EQ(TextToNumber(text), expected) << text;
    }
}

std::string Hex(std::size_t digits, char c) {
    return std::string(digits, c);
}

}  // namespace

// ---- Decimal-string arithmetic -------------------------------------------------------------

TEST(PowerDecimalString, TwoToTheThreeThousandKeepsAllItsDigits) {
    EXPECT_EQ(PowerDecimalString("2", "3000").size(), 904u);
}

// ---- Base conversion -----------------------------------------------------------------------

TEST(ConvertNumber, FortyHexDigitsGoThereAndBack) {
    const std::string hex = "0123456789abcdefFEDCBA9876543210aBcDeF01";
    const std::string decimal = ConvertNumber(hex, "16", "10");
    EXPECT_EQ(decimal, "6495562832581790741585804755439063472368643841");
    EXPECT_EQ(ConvertNumber(decimal, "10", "16"), "123456789ABCDEFFEDCBA9876543210ABCDEF01");
}

TEST(ConvertNumber, WholePartBeyondTheDoubleRangeOverflowsIntoEveryBase) {
    const std::string tooLong = "1" + Hex(256, '0');  // 257 significant digits
    for (const char* to : {"2", "8", "10", "16"}) {
        EXPECT_EQ(Failure([&] { ConvertNumber(tooLong, "16", to); }), "Overflow") << to;
        EXPECT_EQ(Failure([&] { ConvertNumber(Hex(256, 'F'), "16", to); }), "Overflow") << to;
    }
    // The largest double, the last whole number that still rounds to it, and the first that
    // rounds beyond it (2^1024 - 2^970).
    const std::string largest = Hex(13, 'F') + "8" + Hex(242, '0');
    EXPECT_EQ(ConvertNumber(largest, "16", "16"), largest);
    const std::string largestDecimal =
        "179769313486231570814527423731704356798070567525844996598917476803157260780028538760589558"
        "6327668781715404589535143824642343213268894641827684675467035375"
        "169860499105765512820762454900903893289440758685084551339423045832369032229481658085593321"
        "23348274797826204144723168738177180919299881250404026184124858368";
    EXPECT_EQ(ConvertNumber(largest, "16", "10"), largestDecimal);
    EXPECT_EQ(ConvertNumber(largestDecimal, "10", "16"), largest);
    EXPECT_NO_THROW(ConvertNumber(Hex(13, 'F') + "B" + Hex(242, 'F'), "16", "10"));
    EXPECT_EQ(Failure([] { ConvertNumber(Hex(13, 'F') + "C" + Hex(242, '0'), "16", "10"); }),
              "Overflow");
    EXPECT_EQ(Failure([] { ConvertNumber(Hex(13, 'F') + "C" + Hex(242, '0'), "16", "2"); }),
              "Overflow");
    EXPECT_EQ(Failure([] { ConvertNumber("1E+309", "10", "10"); }), "Overflow");
    EXPECT_EQ(Failure([] { ConvertNumber("-Infinity", "10", "16"); }), "Overflow");
}

TEST(ConvertNumber, TextsFarBeyondTheDoubleRangeOverflow) {
    // Far too long for the double range: refused without reading a million digits.
    EXPECT_EQ(Failure([] { ConvertNumber(std::string(1'000'000, '7'), "8", "10"); }), "Overflow");
    EXPECT_EQ(Failure([] { DecimalToBase("1" + std::string(309, '0'), "2"); }), "Overflow");
}

TEST(ConvertNumber, WholeNumberBasesGiveWhatTheirTextsGive) {
    for (const char* value : {"255", "-1.5", "1E+20", "0.1", "zz", " 7 "}) {
        for (unsigned to : {2u, 8u, 10u, 16u, 36u}) {
            EXPECT_EQ(ConvertNumber(value, 10u, to), ConvertNumber(value, "10", std::to_string(to)))
                << value << " to " << to;
        }
    }
    EXPECT_EQ(ConvertNumber("A36", 16u, 10u), "2614");
    EXPECT_EQ(Failure([] { ConvertNumber("12", 10u, 0u); }), "Division by zero");
    EXPECT_EQ(Failure([] { ConvertNumber("12", 0u, 10u); }), "Division by zero");
    for (unsigned base : {1u, 37u}) {
        EXPECT_EQ(Failure([&] { ConvertNumber("12", base, 10u); }), "Type mismatch") << base;
    }
}

// ---- Number text ---------------------------------------------------------------------------

TEST(TextToNumber, HexadecimalBeyondTheDoubleRangeOverflows) {
    EXPECT_EQ(Failure([] { TextToNumber("&H1" + Hex(256, '0')); }), "Overflow");
}

// The inline reading of plain words takes a text exactly when it is nothing but digits of the
// base that fit a word, and then gives what the general reading gives. Sixteen hexadecimal
// digits, a whole word read as one vector, are tried with every byte at every place.
TEST(PlainWordReading, TakesPlainDigitsOnlyAndReadsThemAsTheGeneralReadingDoes) {
    const auto check = [](const std::string& text, auto bits) {
        constexpr unsigned kBits = decltype(bits)::value;
        const unsigned radix = 1u << kBits;
        bool plain = !text.empty() && text.size() * kBits <= 64;
        for (const char c : text) {
            const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
            const unsigned d = c >= '0' && c <= '9' ? static_cast<unsigned>(c - '0')
                               : letter             ? static_cast<unsigned>((c | 0x20) - 'a') + 10
                                                    : 99;
            plain = plain && d < radix;
        }
        double quick = -1;
        ASSERT_EQ(ReadPlainWordAs<kBits>(text, quick), plain) << text;
        double general = -2;
        if (plain) {
            ASSERT_TRUE(ReadPowerOfTwoDigits(text, radix, general));
            EXPECT_EQ(std::bit_cast<std::uint64_t>(quick), std::bit_cast<std::uint64_t>(general))
                << text;
        } else {
            EXPECT_EQ(quick, -1) << text;
        }
    };
    using Hex = std::integral_constant<unsigned, 4>;
    const std::string word = "0123456789aBcDeF";
    for (std::size_t at = 0; at < word.size(); ++at) {
        for (int byte = 0; byte < 256; ++byte) {
            std::string text = word;
            text[at] = static_cast<char>(byte);
            check(text, Hex{});
        }
    }
    std::mt19937_64 random(7);
    for (int round = 0; round < 2000; ++round) {
        char digits[17];
        std::snprintf(digits, sizeof digits, round % 2 ? "%016llX" : "%016llx",
                      static_cast<unsigned long long>(random()));
        check(digits, Hex{});
        check(std::string(digits).substr(0, 1 + round % 16), Hex{});
    }
    for (const char* text : {"", "0", "FFFFFFFFFFFFFFFFF", "1 ", "+1", "1.0", "G"}) {
        check(text, Hex{});
    }
    // Words halfway between two doubles round to the even one, and their
    // neighbours to the nearer one.
    for (const char* text : {"0020000000000001", "0020000000000003", "8000000000000400",
                             "8000000000000C00", "8000000000000401", "FFFFFFFFFFFFFC00",
                             "FFFFFFFFFFFFFBFF", "FFFFFFFFFFFFFFFF", "0000000000000000"}) {
        check(text, Hex{});
    }
    using Octal = std::integral_constant<unsigned, 3>;
    using Binary = std::integral_constant<unsigned, 1>;
    for (const char* text : {"7", "8", "777777777777777777777", "1777777777777777777777"}) {
        check(text, Octal{});
    }
    check(std::string(64, '1'), Binary{});
    check(std::string(65, '1'), Binary{});
    check("102", Binary{});
}

// ---- Validation ----------------------------------------------------------------------------

// The list's quick test takes exactly the entries the numeric test takes, in every base.
TEST(AcceptedEntry, QuickTestAgreesWithTheNumericTest) {
    const auto reference = [](const std::string& entry, int radix) {
        switch (radix) {
            case 10:
                return IsNumeric(entry);
            case 16:
                return IsNumeric("&H" + entry);
            case 8:
                return IsOctalText(entry);
            default:
                return IsBinaryText(entry);
        }
    };
    std::mt19937_64 random(31);
    const std::string alphabet = "0000111178899aAfFgG+-..  \t&HhEe\xE9";
    for (int round = 0; round < 200000; ++round) {
        std::string entry;
        for (auto n = random() % 9; n > 0; --n)
            entry += alphabet[random() % alphabet.size()];
        if (round % 50 == 0)
            entry = std::string(random() % 2 ? 255 : 256, 'F') + entry;
        if (round % 77 == 0)
            entry = "1" + std::string(299 + random() % 12, '0') + entry;
        for (const int radix : {10, 16, 8, 2}) {
            ASSERT_EQ(IsAcceptedEntry(entry, radix), reference(entry, radix))
                << "\"" << entry << "\" in base " << radix;
        }
    }
}

// ---- Examples, one a line of tests/data/engine_cases.tsv -----------------------------------

namespace {

struct EngineCase {
    std::string call;
    std::string name;
    std::vector<std::string> arguments;
    std::string expected;
    int line = 0;
};

// Names the case's line where a test lists its parameter.
void PrintTo(const EngineCase& c, std::ostream* out) {
    *out << "engine_cases.tsv line " << c.line;
}

// A field as the table writes it: quotes keep blanks and the empty text, and
// \t, \n, \r, \\ and \xHH stand for their characters.
std::string FieldText(std::string_view field) {
    if (field.size() >= 2 && field.front() == '"' && field.back() == '"') {
        field = field.substr(1, field.size() - 2);
    }
    std::string text;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] != '\\' || i + 1 == field.size()) {
            text += field[i];
            continue;
        }
        const char escaped = field[++i];
        if (escaped == 'x' && i + 2 < field.size()) {
            text += static_cast<char>(std::stoi(std::string(field.substr(i + 1, 2)), nullptr, 16));
            i += 2;
        } else {
            text += escaped == 't' ? '\t' : escaped == 'n' ? '\n' : escaped == 'r' ? '\r' : escaped;
        }
    }
    return text;
}

std::vector<EngineCase> LoadEngineCases() {
    const std::string path = std::string(QUILLORA_TEST_DATA_DIR) + "/engine_cases.tsv";
    std::ifstream file(path);
    std::vector<EngineCase> cases;
    if (!file) {
        // Shows as a failing case rather than as no cases at all.
        cases.push_back({"Table", "CannotBeRead", {path}, "", 0});
        return cases;
    }
    std::string line;
    for (int number = 1; std::getline(file, line); ++number) {
        if (line.empty() || line.front() == '#') {
            continue;
        }
        std::vector<std::string> fields;
        for (std::size_t start = 0;;) {
            const std::size_t tab = line.find('\t', start);
            fields.push_back(line.substr(start, tab == std::string::npos ? tab : tab - start));
            if (tab == std::string::npos) {
                break;
            }
            start = tab + 1;
        }
        EngineCase c;
        c.line = number;
        if (fields.size() < 3) {
            c.call = "Table";
            c.name = "ShortLine" + std::to_string(number);
        } else {
            c.call = fields[0];
            c.name = fields[1];
            for (std::size_t i = 2; i + 1 < fields.size(); ++i) {
                c.arguments.push_back(FieldText(fields[i]));
            }
            c.expected = FieldText(fields.back());
        }
        cases.push_back(std::move(c));
    }
    return cases;
}

// A number as C reads it, or a quotient "a/b" of two such numbers.
double NumberArgument(const std::string& text) {
    const auto slash = text.find('/');
    if (slash != std::string::npos && slash > 0) {
        return NumberArgument(text.substr(0, slash)) / NumberArgument(text.substr(slash + 1));
    }
    return std::strtod(text.c_str(), nullptr);
}

// Tells two numbers apart exactly, a zero's sign included.
std::string NumberOutcome(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

std::string TruthOutcome(bool value) {
    return value ? "true" : "false";
}

struct Call {
    std::size_t arguments;
    bool givesNumber;
    std::function<std::string(const std::vector<std::string>&)> run;
};

const std::map<std::string, Call>& Calls() {
    using Args = std::vector<std::string>;
    static const std::map<std::string, Call> calls{
        {"AddDecimalStrings",
         {3, false, [](const Args& a) { return AddDecimalStrings(a[0], a[1], std::stoi(a[2])); }}},
        {"MultiplyByDigit", {2, false, [](const Args& a) { return MultiplyByDigit(a[0], a[1]); }}},
        {"MultiplyDecimalStrings",
         {2, false, [](const Args& a) { return MultiplyDecimalStrings(a[0], a[1]); }}},
        {"PowerDecimalString",
         {2, false, [](const Args& a) { return PowerDecimalString(a[0], a[1]); }}},
        {"DivideDecimalString",
         {2, false, [](const Args& a) { return DivideDecimalString(a[0], a[1]); }}},
        {"RemainderDecimalString",
         {2, false, [](const Args& a) { return RemainderDecimalString(a[0], a[1]); }}},
        {"PadLeftZeros",
         {2, false, [](const Args& a) { return PadLeftZeros(a[0], std::stoll(a[1])); }}},
        {"TrimLeadingChar",
         {3, false,
          [](const Args& a) { return TrimLeadingChar(a[0], a[1].at(0), a[2] == "true"); }}},
        {"IsAllZeros", {1, false, [](const Args& a) { return TruthOutcome(IsAllZeros(a[0])); }}},
        {"ReverseString", {1, false, [](const Args& a) { return ReverseString(a[0]); }}},
        {"CeilToMultiple",
         {2, true,
          [](const Args& a) {
              return NumberOutcome(CeilToMultiple(NumberArgument(a[0]), std::stoi(a[1])));
          }}},
        {"MaxOfTwo",
         {2, true,
          [](const Args& a) {
              return NumberOutcome(MaxOfTwo(NumberArgument(a[0]), NumberArgument(a[1])));
          }}},
        {"ConvertNumber",
         {3, false, [](const Args& a) { return ConvertNumber(a[0], a[1], a[2]); }}},
        {"BaseToDecimal", {2, false, [](const Args& a) { return BaseToDecimal(a[0], a[1]); }}},
        {"DecimalToBase", {2, false, [](const Args& a) { return DecimalToBase(a[0], a[1]); }}},
        {"CharToDigit",
         {1, true, [](const Args& a) { return NumberOutcome(CharToDigit(a[0].at(0))); }}},
        {"DigitToChar",
         {1, false, [](const Args& a) { return DigitToChar(NumberArgument(a[0])); }}},
        {"NumberToText",
         {1, false, [](const Args& a) { return NumberToText(NumberArgument(a[0])); }}},
        {"TextToNumber",
         {1, true,
          [](const Args& a) {
              try {
                  return NumberOutcome(TextToNumber(a[0]));
              } catch (const EngineError&) {
                  // Whatever the reader refuses, the numeric test refuses too.
                  EXPECT_FALSE(IsNumeric(a[0])) << '"' << a[0] << '"';
                  throw;
              }
          }}},
        {"AcceptedEntry",
         {2, false,
          [](const Args& a) { return AcceptedEntry(a[0], std::stoi(a[1])).value_or("(none)"); }}},
        {"IsOctalText", {1, false, [](const Args& a) { return TruthOutcome(IsOctalText(a[0])); }}},
        {"IsBinaryText",
         {1, false, [](const Args& a) { return TruthOutcome(IsBinaryText(a[0])); }}},
    };
    return calls;
}

class EngineExample : public ::testing::TestWithParam<EngineCase> {};

TEST_P(EngineExample, GivesTheOutcomeItsLineExpects) {
    const EngineCase& c = GetParam();
    SCOPED_TRACE("engine_cases.tsv line " + std::to_string(c.line));
    const auto call = Calls().find(c.call);
    ASSERT_NE(call, Calls().end()) << "no such call: " << c.call;
    ASSERT_EQ(c.arguments.size(), call->second.arguments) << "arguments of " << c.call;
    std::string outcome;
    try {
        outcome = call->second.run(c.arguments);
    } catch (const EngineError& e) {
        outcome = std::string("!") + e.what();
    }
    const bool failure = !c.expected.empty() && c.expected.front() == '!';
    const std::string expected = call->second.givesNumber && !failure
                                     ? NumberOutcome(NumberArgument(c.expected))
                                     : c.expected;
    EXPECT_EQ(outcome, expected);
}

INSTANTIATE_TEST_SUITE_P(Table, EngineExample, ::testing::ValuesIn(LoadEngineCases()),
                         [](const ::testing::TestParamInfo<EngineCase>& info) {
                             return info.param.call + "_" + info.param.name;
                         });

}  // namespace

// ---- Properties against independent references (GMP, the C library) ------------------------

#ifdef QUILLORA_WITH_GMP
namespace {

// A GMP whole number that frees itself.
class Big {
  public:
    Big() { mpz_init(v_); }
    explicit Big(unsigned long x) { mpz_init_set_ui(v_, x); }
    Big(const Big& other) { mpz_init_set(v_, other.v_); }
    Big& operator=(const Big& other) {
        mpz_set(v_, other.v_);
        return *this;
    }
    ~Big() { mpz_clear(v_); }
    mpz_ptr get() { return v_; }
    mpz_srcptr get() const { return v_; }

    std::string Text(int base) const {
        std::string text(mpz_sizeinbase(v_, base) + 2, '\0');
        mpz_get_str(text.data(), -base, v_);
        text.resize(text.find('\0'));
        return text;
    }

  private:
    mpz_t v_;
};

class Random {
  public:
    explicit Random(unsigned long seed) : engine_(seed) {
        gmp_randinit_mt(state_);
        gmp_randseed_ui(state_, seed);
    }
    ~Random() { gmp_randclear(state_); }
    Random(const Random&) = delete;
    Random& operator=(const Random&) = delete;

    int Between(int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(engine_);
    }
    bool Chance(int percent) { return Between(1, 100) <= percent; }

    // A whole number of exactly this many bits.
    Big WithBits(int bits) {
        Big v;
        mpz_urandomb(v.get(), state_, static_cast<mp_bitcnt_t>(bits));
        mpz_setbit(v.get(), static_cast<mp_bitcnt_t>(bits - 1));
        return v;
    }

    // Leading zeros and a random letter case: the same value to every reader.
    std::string Disguise(std::string text) {
        for (char& c : text) {
            if (c >= 'A' && c <= 'Z' && Chance(50))
                c = static_cast<char>(c + 32);
        }
        return std::string(static_cast<std::size_t>(Chance(30) ? Between(1, 5) : 0), '0') + text;
    }

    std::mt19937_64& engine() { return engine_; }

  private:
    std::mt19937_64 engine_;
    gmp_randstate_t state_;
};

const char* const kBases[] = {"2", "8", "10", "16"};

bool BeyondDoubleRange(const Big& v) {
    Big limit;
    mpz_ui_pow_ui(limit.get(), 2, 1024);
    Big step;
    mpz_ui_pow_ui(step.get(), 2, 970);
    mpz_sub(limit.get(), limit.get(), step.get());
    return mpz_cmp(v.get(), limit.get()) >= 0;
}

// value = n / d >= 0 written in base to by the rule for fractions: exact into base 10 when
// it ends there, otherwise half-up to the significant digits that carry 15 decimal digits.
std::string ReferenceText(const Big& n, const Big& d, int to) {
    Big whole, rest;
    mpz_fdiv_qr(whole.get(), rest.get(), n.get(), d.get());
    const std::string wholeText = whole.Text(to);
    if (mpz_sgn(rest.get()) == 0)
        return wholeText;
    long places = 0;
    bool rounded = true;
    if (to == 10) {
        Big scaled = rest;
        for (long f = 1; f <= 4000 && rounded; ++f) {
            mpz_mul_ui(scaled.get(), scaled.get(), 10);
            if (mpz_divisible_p(scaled.get(), d.get())) {
                places = f;
                rounded = false;
            }
        }
    }
    if (rounded) {
        const long significant =
            static_cast<long>(std::ceil(15.0 / std::log10(static_cast<double>(to)) - 1e-9));
        if (mpz_sgn(whole.get()) != 0) {
            places = std::max(0L, significant - static_cast<long>(wholeText.size()));
        } else {
            Big scaled = rest, digit;
            long first = 0;
            do {
                mpz_mul_ui(scaled.get(), scaled.get(), static_cast<unsigned long>(to));
                mpz_fdiv_q(digit.get(), scaled.get(), d.get());
                ++first;
            } while (mpz_sgn(digit.get()) == 0);
            places = first - 1 + significant;
        }
    }
    // floor((2 n to^places + d) / 2d): n to^places / d rounded half-up.
    Big y, twice;
    mpz_ui_pow_ui(y.get(), static_cast<unsigned long>(to), static_cast<unsigned long>(places));
    mpz_mul(y.get(), y.get(), n.get());
    mpz_mul_2exp(y.get(), y.get(), 1);
    mpz_add(y.get(), y.get(), d.get());
    mpz_mul_2exp(twice.get(), d.get(), 1);
    mpz_fdiv_q(y.get(), y.get(), twice.get());
    std::string digits = y.Text(to);
    if (static_cast<long>(digits.size()) <= places)
        digits.insert(0, static_cast<std::size_t>(places + 1) - digits.size(), '0');
    std::string text = digits.substr(0, digits.size() - static_cast<std::size_t>(places));
    std::string fraction = digits.substr(text.size());
    while (!fraction.empty() && fraction.back() == '0')
        fraction.pop_back();
    return fraction.empty() ? text : text + "." + fraction;
}

}  // namespace

TEST(ConvertNumberProperty, WholeNumbersUpTo1030BitsAgreeWithGmpBetweenEveryPairOfBases) {
    Random random(20240611);
    for (int round = 0; round < 600; ++round) {
        const int bits = round < 40 ? 1 + round : random.Between(1, 1030);
        const Big value = random.WithBits(bits);
        const bool beyond = BeyondDoubleRange(value);
        for (const char* from : kBases) {
            const std::string text = random.Disguise(value.Text(std::atoi(from)));
            EXPECT_EQ(BaseToDecimal(text, from), value.Text(10)) << text;
            for (const char* to : kBases) {
                const std::string expected = beyond ? "Overflow" : value.Text(std::atoi(to));
                std::string actual;
                try {
                    actual = ConvertNumber(text, from, to);
                } catch (const EngineError& e) {
                    actual = e.what();
                }
                ASSERT_EQ(actual, expected) << text << " from " << from << " to " << to;
            }
        }
    }
}

TEST(ConvertNumberProperty, AnyBaseAndDigitsBeyondTheBaseReadPositionally) {
    Random random(7);
    for (int round = 0; round < 400; ++round) {
        const int from = random.Between(2, 36), to = random.Between(2, 36);
        const bool beyondBase = random.Chance(30);
        const int length = random.Between(1, 150);
        std::string text;
        Big expected;
        for (int i = 0; i < length; ++i) {
            const int digit = random.Between(0, beyondBase ? 35 : from - 1);
            text += "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ"[digit];
            mpz_mul_ui(expected.get(), expected.get(), static_cast<unsigned long>(from));
            mpz_add_ui(expected.get(), expected.get(), static_cast<unsigned long>(digit));
        }
        EXPECT_EQ(BaseToDecimal(text, std::to_string(from)), expected.Text(10)) << text;
        if (!BeyondDoubleRange(expected)) {
            EXPECT_EQ(ConvertNumber(text, std::to_string(from), std::to_string(to)),
                      expected.Text(to))
                << text << " from " << from << " to " << to;
        }
    }
}

TEST(ConvertNumberProperty, SignedFractionsFollowTheRoundingRule) {
    Random random(99);
    for (int round = 0; round < 1500; ++round) {
        const int fromBase = std::atoi(kBases[random.Between(0, 3)]);
        const int toBase = std::atoi(kBases[random.Between(0, 3)]);
        const Big whole = random.Chance(40) ? Big() : random.WithBits(random.Between(1, 90));
        std::string fraction;
        const int length = random.Between(1, 40);
        const int zeros = random.Chance(30) ? random.Between(1, 30) : 0;
        fraction.append(static_cast<std::size_t>(zeros), '0');
        for (int i = 0; i < length; ++i)
            fraction += "0123456789ABCDEF"[random.Between(0, fromBase - 1)];
        const bool negative = random.Chance(30);
        const std::string text =
            (negative ? "-" : "") + random.Disguise(whole.Text(fromBase)) + "." + fraction;
        // value = all digits read as one whole number, over fromBase^(fraction digits)
        Big n, d;
        mpz_set_str(n.get(), (whole.Text(fromBase) + fraction).c_str(), fromBase);
        mpz_ui_pow_ui(d.get(), static_cast<unsigned long>(fromBase), fraction.size());
        std::string expected = ReferenceText(n, d, toBase);
        if (negative && expected != "0")
            expected.insert(0, "-");
        ASSERT_EQ(ConvertNumber(text, std::to_string(fromBase), std::to_string(toBase)), expected)
            << text << " from " << fromBase << " to " << toBase;
    }
}

TEST(ConvertNumberProperty, DecimalTextsOfDoublesConvertExactlyThenRound) {
    Random random(5);
    for (int round = 0; round < 1500; ++round) {
        const double x = std::ldexp(std::uniform_real_distribution<double>(-1, 1)(random.engine()),
                                    random.Between(-1070, 1023));
        const std::string text = NumberToText(x);
        // The exact value of the text: mantissa digits times a power of ten.
        const auto e = text.find('E');
        std::string mantissa = text.substr(x < 0 ? 1 : 0, e == std::string::npos ? e : e - (x < 0));
        const long exponent = e == std::string::npos ? 0 : std::stol(text.substr(e + 1));
        const auto point = mantissa.find('.');
        long places = 0;
        if (point != std::string::npos) {
            places = static_cast<long>(mantissa.size() - point - 1);
            mantissa.erase(point, 1);
        }
        places -= exponent;
        Big n, d(1);
        mpz_set_str(n.get(), mantissa.c_str(), 10);
        if (places >= 0) {
            mpz_ui_pow_ui(d.get(), 10, static_cast<unsigned long>(places));
        } else {
            Big scale;
            mpz_ui_pow_ui(scale.get(), 10, static_cast<unsigned long>(-places));
            mpz_mul(n.get(), n.get(), scale.get());
        }
        Big whole;
        mpz_fdiv_q(whole.get(), n.get(), d.get());
        for (const char* to : kBases) {
            std::string expected =
                BeyondDoubleRange(whole) ? "Overflow" : ReferenceText(n, d, std::atoi(to));
            if (x < 0 && expected != "Overflow" && expected != "0")
                expected.insert(0, "-");
            std::string actual;
            try {
                actual = ConvertNumber(text, "10", to);
            } catch (const EngineError& failure) {
                actual = failure.what();
            }
            ASSERT_EQ(actual, expected) << text << " to " << to;
        }
    }
}
#endif

TEST(NumberTextProperty, GeneralFormatAndReadBackAgreeWithTheCLibrary) {
    std::mt19937_64 random(11);
    for (int round = 0; round < 20000; ++round) {
        double x;
        const std::uint64_t bits = random();
        std::memcpy(&x, &bits, sizeof x);
        if (!std::isfinite(x) || x == 0)
            continue;
        char expected[64];
        std::snprintf(expected, sizeof expected, "%.15G", x);
        const std::string text = NumberToText(x);
        ASSERT_EQ(text, expected);
        // What it wrote reads back as the C library reads the same text.
        ExpectReadsLikeTheCLibrary(text, std::strtod(expected, nullptr));
    }
}

#ifdef QUILLORA_WITH_GMP
TEST(NumberTextProperty, LongDecimalAndHexadecimalTextsRoundLikeTheCLibrary) {
    Random random(3);
    for (int round = 0; round < 3000; ++round) {
        // Hexadecimal: 53 significant bits, then a tie, or a tie broken far below.
        std::string hex;
        const int length = random.Between(1, 270);
        for (int i = 0; i < length; ++i)
            hex += "0123456789abcdefABCDEF"[random.Between(0, 21)];
        if (random.Chance(25) && length > 20) {
            hex = "1" + std::string(12, 'F') + (random.Chance(50) ? "8" : "9") +
                  std::string(static_cast<std::size_t>(length - 14), '0');
            if (random.Chance(50))
                hex.back() = '1';
        }
        ExpectReadsLikeTheCLibrary((random.Chance(50) ? "&H" : "&h") + hex,
                                   std::strtod(("0x" + hex).c_str(), nullptr));
        // Decimal: long digit runs with a point and an exponent.
        std::string decimal = random.Chance(50) ? "-" : "";
        for (int i = random.Between(1, 40); i > 0; --i)
            decimal += static_cast<char>('0' + random.Between(0, 9));
        decimal += "." + std::to_string(random.Between(0, 99999));
        decimal += "e" + std::to_string(random.Between(-360, 330));
        ExpectReadsLikeTheCLibrary(decimal, std::strtod(decimal.c_str(), nullptr));
    }
}

// The quick reading of base 2, 8 and 16 texts gives, bit for bit, what reading the exact
// decimal text that ConvertNumber writes gives, overflow included.
TEST(PowerOfTwoReadingProperty, SameDoubleAsThroughExactDecimalText) {
    Random random(23);
    const auto throughDecimal = [](const std::string& text, int radix) {
        std::string outcome;
        try {
            const double x = TextToNumber(ConvertNumber(text, std::to_string(radix), "10"));
            outcome = std::to_string(std::bit_cast<std::uint64_t>(x));
        } catch (const EngineError& e) {
            outcome = e.what();
        }
        return outcome;
    };
    const auto quick = [](const std::string& text, int radix) {
        std::string outcome;
        try {
            double x = 0;
            outcome = ReadPowerOfTwoDigits(text, static_cast<unsigned>(radix), x)
                          ? std::to_string(std::bit_cast<std::uint64_t>(x))
                          : "none";
        } catch (const EngineError& e) {
            outcome = e.what();
        }
        return outcome;
    };
    for (int round = 0; round < 6000; ++round) {
        const int radix = std::atoi(kBases[std::array{0, 1, 3}[random.Between(0, 2)]]);
        const int bits = round < 200 ? 1 + round % 100 : random.Between(1, 1030);
        std::string digits = random.WithBits(bits).Text(radix);
        if (random.Chance(20)) {
            // A tie just past the 53rd bit, exact or broken far below.
            Big tie = random.WithBits(53);
            mpz_mul_2exp(tie.get(), tie.get(), 1);
            mpz_add_ui(tie.get(), tie.get(), 1);
            mpz_mul_2exp(tie.get(), tie.get(), static_cast<mp_bitcnt_t>(random.Between(4, 900)));
            if (random.Chance(50))
                mpz_add_ui(tie.get(), tie.get(), 1);
            digits = tie.Text(radix);
        }
        std::string text = random.Disguise(digits);
        if (random.Chance(60)) {
            // A point anywhere, with zeros after it deep enough to reach the subnormals.
            const auto at =
                static_cast<std::size_t>(random.Between(0, static_cast<int>(text.size())));
            const int zeros = random.Chance(30) ? random.Between(0, 1200 / (radix == 16  ? 4
                                                                            : radix == 8 ? 3
                                                                                         : 1))
                                                : 0;
            text.insert(at, "." + std::string(at == 0 ? static_cast<std::size_t>(zeros) : 0, '0'));
        }
        if (random.Chance(40))
            text.insert(0, random.Chance(50) ? "-" : "+");
        if (random.Chance(10))
            text = " \t" + text + "\t ";
        ASSERT_EQ(quick(text, radix), throughDecimal(text, radix)) << text << " in base " << radix;
    }
    // Texts the quick reading leaves to the decimal way.
    for (const char* text : {"", "-", ".", "1.0.1", "12", "1 0", "x1"}) {
        EXPECT_EQ(quick(text, 2), "none") << text;
    }
    EXPECT_EQ(quick("FF", 10), "none");
    EXPECT_EQ(quick("-0.000", 16), std::to_string(std::bit_cast<std::uint64_t>(0.0)));
}
#endif

// Short decimal texts, read without the general reader, round exactly as the C library does.
TEST(NumberTextProperty, ShortDecimalTextsReadLikeTheCLibrary) {
    std::mt19937_64 random(41);
    for (int round = 0; round < 100000; ++round) {
        std::string text = random() % 4 == 0 ? "-" : random() % 8 == 0 ? "+" : "";
        const auto digits = 1 + random() % 17;
        const auto point = random() % 3 == 0 ? digits : random() % (digits + 1);
        for (std::size_t i = 0; i < digits; ++i) {
            if (i == point && i > 0)
                text += '.';
            text += static_cast<char>('0' + random() % 10);
        }
        const double expected = std::strtod(text.c_str(), nullptr);
        ASSERT_EQ(std::bit_cast<std::uint64_t>(TextToNumber(text)),
                  std::bit_cast<std::uint64_t>(expected))
            << text;
    }
}

#ifdef QUILLORA_WITH_GMP
TEST(CalculationsProperty, ArithmeticAgreesWithGmp) {
    Random random(17);
    for (int round = 0; round < 300; ++round) {
        const Big a = random.WithBits(random.Between(1, 700)),
                  b = random.WithBits(random.Between(1, 700));
        const std::string aText = random.Disguise(a.Text(10)), bText = random.Disguise(b.Text(10));
        Big sum, product;
        mpz_add(sum.get(), a.get(), b.get());
        mpz_mul(product.get(), a.get(), b.get());
        ASSERT_EQ(AddDecimalStrings(aText, bText, random.Between(1, 15)), sum.Text(10));
        if (bText.size() > 1) {
            ASSERT_EQ(MultiplyDecimalStrings(aText, bText), product.Text(10));
        }
        const unsigned long divisor = static_cast<unsigned long>(random.Between(1, 2147483647));
        Big quotient, remainder;
        mpz_fdiv_qr_ui(quotient.get(), remainder.get(), a.get(), divisor);
        ASSERT_EQ(DivideDecimalString(aText, std::to_string(divisor)), quotient.Text(10));
        ASSERT_EQ(RemainderDecimalString(aText, std::to_string(divisor)), remainder.Text(10));
        const unsigned long exponent = static_cast<unsigned long>(random.Between(1, 40));
        Big power;
        mpz_pow_ui(power.get(), b.get(), exponent);
        if (b.Text(10).size() > 1) {
            ASSERT_EQ(PowerDecimalString(b.Text(10), std::to_string(exponent)), power.Text(10));
        }
    }
}
#endif

// ==== Regressions found by the fuzz targets (fuzz/, scripts/fuzz.sh) ========================

// The largest doubles rounded up to fifteen digits give 1.79769313486232E+308, beyond the
// double range: a result that big would show in decimal but fail with "Overflow" in every
// other base, and its own text could not be typed back in.
TEST(FuzzRegression, TheLargestDoublesWriteAsTextThatReadsBack) {
    const double largest = std::numeric_limits<double>::max();
    for (double value : {largest, -largest, std::nextafter(largest, 0.0)}) {
        const std::string text = NumberToText(value);
        EXPECT_EQ(text, value < 0 ? "-1.79769313486231E+308" : "1.79769313486231E+308");
        EXPECT_TRUE(IsNumeric(text)) << text;
        EXPECT_EQ(NumberToText(TextToNumber(text)), text);
        EXPECT_EQ(Failure([&] { ConvertNumber(text, "10", "16"); }), "") << text;
    }
    EXPECT_EQ(NumberToText(1.79769313486231e308), "1.79769313486231E+308");
    EXPECT_EQ(NumberToText(1.7976931348623e308), "1.7976931348623E+308");
}
