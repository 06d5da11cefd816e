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
#include <limits>
#include <optional>
#include <random>
#include <string>

#include "engine/Calculations.h"
#include "engine/EngineError.h"
#include "engine/EntryValidation.h"
#include "engine/NumberSystem.h"
#include "engine/NumberText.h"
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

TEST(AddDecimalStrings, SumsAreNormalisedWhateverTheChunkWidth) {
    EXPECT_EQ(AddDecimalStrings("", "", 15), "0");
    EXPECT_EQ(AddDecimalStrings("0007", "3", 15), "10");
    EXPECT_EQ(AddDecimalStrings("999999999999999", "1", 15), "1000000000000000");
    EXPECT_EQ(AddDecimalStrings("99", "1", 2), "100");
    EXPECT_EQ(AddDecimalStrings("1", "99999999999999999999999999999", 10),
              "100000000000000000000000000000");
    EXPECT_EQ(AddDecimalStrings("000", "000", 2), "0");
}

TEST(MultiplyDecimalStrings, KeepsTheEmptyTextOfADigitZero) {
    EXPECT_EQ(MultiplyByDigit("123", "0"), "");
    EXPECT_EQ(MultiplyByDigit("123", "9"), "1107");
    EXPECT_EQ(MultiplyByDigit("", "7"), "0");
    EXPECT_EQ(MultiplyByDigit("0045", "2"), "90");
    EXPECT_EQ(MultiplyByDigit("5", "12"), "60");
    EXPECT_EQ(Failure([] { MultiplyByDigit("5", "40000"); }), "Overflow");
    EXPECT_EQ(Failure([] { MultiplyByDigit("5", ""); }), "Type mismatch");
    EXPECT_EQ(MultiplyDecimalStrings("5", "0"), "");
    EXPECT_EQ(MultiplyDecimalStrings("12", "34"), "408");
    EXPECT_EQ(MultiplyDecimalStrings("12", "00"), "0");
    EXPECT_EQ(MultiplyDecimalStrings("123456789123456789", "987654321987654321"),
              "121932631356500531347203169112635269");
}

TEST(PowerDecimalString, CountsWholeStepsUpToTheExponent) {
    EXPECT_EQ(PowerDecimalString("16", "0"), "1");
    EXPECT_EQ(PowerDecimalString("16", "-3"), "1");
    EXPECT_EQ(PowerDecimalString("2", "10"), "1024");
    EXPECT_EQ(PowerDecimalString("2", "10.9"), "1024");
    EXPECT_EQ(PowerDecimalString("0", "3"), "");
    EXPECT_EQ(PowerDecimalString("00", "3"), "0");
    EXPECT_EQ(PowerDecimalString("5", "1"), "5");
    EXPECT_EQ(Failure([] { PowerDecimalString("10", "1E9"); }), "Overflow");
    EXPECT_EQ(Failure([] { PowerDecimalString("2", "1E9"); }), "Overflow");
    EXPECT_EQ(PowerDecimalString("2", "3000").size(), 904u);
    EXPECT_EQ(PowerDecimalString("16", "32"), "340282366920938463463374607431768211456");
}

TEST(DivideDecimalString, QuotientAndRemainderBySmallDivisor) {
    EXPECT_EQ(DivideDecimalString("255", "16"), "15");
    EXPECT_EQ(RemainderDecimalString("255", "16"), "15");
    EXPECT_EQ(DivideDecimalString("7", "8"), "0");
    EXPECT_EQ(RemainderDecimalString("7", "8"), "7");
    EXPECT_EQ(DivideDecimalString("0", "2"), "0");
    EXPECT_EQ(RemainderDecimalString("0", "2"), "0");
    EXPECT_EQ(DivideDecimalString("", "2"), "0");
    EXPECT_EQ(DivideDecimalString("123456789012345678901234567890", "2147483647"),
              "57489047325139272132");
    EXPECT_EQ(RemainderDecimalString("123456789012345678901234567890", "2147483647"), "281742486");
}

TEST(DivideDecimalString, RefusesDivisorsOutsideThirtyTwoBits) {
    EXPECT_EQ(Failure([] { DivideDecimalString("12", "0"); }), "Division by zero");
    EXPECT_EQ(Failure([] { RemainderDecimalString("12", "0"); }), "Division by zero");
    EXPECT_EQ(Failure([] { DivideDecimalString("12", "2147483648"); }), "Overflow");
    EXPECT_EQ(Failure([] { DivideDecimalString("12", "x"); }), "Type mismatch");
}

TEST(SupportRoutines, PaddingTrimmingAndTests) {
    EXPECT_EQ(PadLeftZeros("12", 5), "00012");
    EXPECT_EQ(PadLeftZeros("12", 2), "12");
    EXPECT_EQ(PadLeftZeros("123", 2), "");
    EXPECT_EQ(TrimLeadingChar("000", '0', true), "0");
    EXPECT_EQ(TrimLeadingChar("000", '0', false), "");
    EXPECT_EQ(TrimLeadingChar("", '0', true), "0");
    EXPECT_EQ(TrimLeadingChar("0120", '0', true), "120");
    EXPECT_TRUE(IsAllZeros(""));
    EXPECT_TRUE(IsAllZeros("000"));
    EXPECT_FALSE(IsAllZeros("0010"));
    EXPECT_EQ(ReverseString(""), "");
    EXPECT_EQ(ReverseString("abc"), "cba");
}

TEST(SupportRoutines, CeilToMultipleAndMaxOfTwo) {
    EXPECT_EQ(CeilToMultiple(0, 15), 0);
    EXPECT_EQ(CeilToMultiple(7, 15), 15);
    EXPECT_EQ(CeilToMultiple(15, 15), 15);
    EXPECT_EQ(CeilToMultiple(16, 15), 30);
    EXPECT_EQ(CeilToMultiple(15.2, 15), 30);
    EXPECT_EQ(Failure([] { CeilToMultiple(3, 0); }), "Division by zero");
    EXPECT_EQ(MaxOfTwo(1, 2), 2);
    EXPECT_EQ(MaxOfTwo(0.1, 0.2), 0.2);
    EXPECT_EQ(MaxOfTwo(1e308, 1e308), 1e308);
    EXPECT_EQ(MaxOfTwo(-5, -7), -5);
}

// ---- Base conversion -----------------------------------------------------------------------

TEST(ConvertNumber, WholeNumbersBetweenBases) {
    EXPECT_EQ(ConvertNumber("FF", "16", "10"), "255");
    EXPECT_EQ(ConvertNumber("255", "10", "2"), "11111111");
    EXPECT_EQ(ConvertNumber("6", "10", "2"), "110");
    EXPECT_EQ(ConvertNumber("a35", "16", "8"), "5065");
    EXPECT_EQ(ConvertNumber("2613", "10", "16"), "A35");
    EXPECT_EQ(ConvertNumber("0", "16", "2"), "0");
    EXPECT_EQ(ConvertNumber("0000", "16", "2"), "0");
    EXPECT_EQ(ConvertNumber("FFFFFFFFFFFFFFFF", "16", "10"), "18446744073709551615");
    EXPECT_EQ(ConvertNumber("10000000000000000", "16", "10"), "18446744073709551616");
}

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

TEST(ConvertNumber, SignFractionAndExponent) {
    EXPECT_EQ(ConvertNumber("12.5", "10", "16"), "C.8");
    EXPECT_EQ(ConvertNumber("0.333333333333333", "10", "16"), "0.5555555555554");
    EXPECT_EQ(ConvertNumber("-3200", "10", "2"), "-110010000000");
    EXPECT_EQ(ConvertNumber("1E+15", "10", "16"), "38D7EA4C68000");
    EXPECT_EQ(ConvertNumber("4.50359962737049E+15", "10", "16"), "FFFFFFFFFFFFA");
    EXPECT_EQ(ConvertNumber("1E-05", "10", "10"), "0.00001");
    EXPECT_EQ(ConvertNumber("-17", "8", "10"), "-15");
    EXPECT_EQ(ConvertNumber("1.5", "8", "10"), "1.625");
    EXPECT_EQ(ConvertNumber("0.1", "2", "10"), "0.5");
    EXPECT_EQ(ConvertNumber(".5", "10", "2"), "0.1");
    EXPECT_EQ(ConvertNumber("5.", "10", "2"), "101");
    EXPECT_EQ(ConvertNumber("-0.0", "10", "16"), "0");
    EXPECT_EQ(ConvertNumber("-0", "8", "10"), "0");
}

TEST(ConvertNumber, UnendingFractionsRoundHalfUpToFifteenDecimalDigitsWorth) {
    EXPECT_EQ(ConvertNumber("0.1", "10", "2"),
              "0.00011001100110011001100110011001100110011001100110011");
    EXPECT_EQ(ConvertNumber("0.1", "10", "8"), "0.063146314631463146");
    EXPECT_EQ(ConvertNumber("0.1", "10", "16"), "0.199999999999A");
    // A carry out of the fraction reaches the whole part.
    EXPECT_EQ(ConvertNumber("0.99999999999999999", "10", "16"), "1");
    // A whole part of 13 hex digits leaves the rounding on the units place.
    EXPECT_EQ(ConvertNumber("4503599627370495.5", "10", "16"), "10000000000000");
    EXPECT_EQ(ConvertNumber("4503599627370494.4", "10", "16"), "FFFFFFFFFFFFE");
}

TEST(ConvertNumber, BlanksAroundTheValueAreNotDigits) {
    // A hexadecimal line "ff " passes the entry test and is stored "FF "; its blank must not
    // read as a trailing zero digit.
    EXPECT_EQ(ConvertNumber("FF ", "16", "10"), "255");
    EXPECT_EQ(ConvertNumber("\t -12.5 ", "10", "16"), "-C.8");
}

TEST(ConvertNumber, ExponentsAreExpandedOnlyFromBaseTen) {
    EXPECT_EQ(ConvertNumber("2.5e1", "10", "16"), "19");
    EXPECT_EQ(ConvertNumber("0E+999999", "10", "2"), "0");
    EXPECT_EQ(ConvertNumber("1E5", "16", "10"), "485");
    EXPECT_EQ(Failure([] { ConvertNumber("1E+400", "10", "2"); }), "Overflow");
    EXPECT_EQ(Failure([] { ConvertNumber("1E-100001", "10", "2"); }), "Overflow");
    EXPECT_EQ(Failure([] { ConvertNumber("NaN", "10", "2"); }), "Overflow");
}

TEST(ConvertNumber, DigitsBeyondTheBaseCountAtFaceValue) {
    EXPECT_EQ(ConvertNumber("19", "8", "10"), "17");
    EXPECT_EQ(ConvertNumber("1.A", "10", "10"), "2");
    EXPECT_EQ(BaseToDecimal("Z", "2"), "35");
}

TEST(ConvertNumber, BasesAndTextsOutsideTheRules) {
    EXPECT_EQ(Failure([] { ConvertNumber("12", "10", "0"); }), "Division by zero");
    for (const char* base : {"1", "37", "x", "", "-2"}) {
        EXPECT_EQ(Failure([&] { ConvertNumber("12", "10", base); }), "Type mismatch") << base;
    }
    // Far too long for the double range: refused without reading a million digits.
    EXPECT_EQ(Failure([] { ConvertNumber(std::string(1'000'000, '7'), "8", "10"); }), "Overflow");
    EXPECT_EQ(DecimalToBase("", "2"), "0");
    EXPECT_EQ(Failure([] { DecimalToBase("12A", "2"); }), "Type mismatch");
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

TEST(DigitCharacters, ValuesAndCharacters) {
    EXPECT_EQ(CharToDigit('z'), 35);
    EXPECT_EQ(CharToDigit('Z'), 35);
    EXPECT_EQ(CharToDigit('7'), 7);
    EXPECT_EQ(CharToDigit('-'), 0);
    EXPECT_EQ(DigitToChar(36), "");
    EXPECT_EQ(DigitToChar(35), "Z");
    EXPECT_EQ(DigitToChar(10), "A");
    EXPECT_EQ(DigitToChar(9), "9");
    EXPECT_EQ(BaseToDecimal("", "16"), "0");
    EXPECT_EQ(BaseToDecimal("ff", "16"), "255");
    EXPECT_EQ(DecimalToBase("2613", "16"), "A35");
}

// ---- Number text ---------------------------------------------------------------------------

TEST(NumberToText, FifteenSignificantDigitsInGeneralForm) {
    EXPECT_EQ(NumberToText(263), "263");
    EXPECT_EQ(NumberToText(12.5), "12.5");
    EXPECT_EQ(NumberToText(10.0 / 3), "3.33333333333333");
    EXPECT_EQ(NumberToText(1.0 / 3), "0.333333333333333");
    EXPECT_EQ(NumberToText(0.0001), "0.0001");
    EXPECT_EQ(NumberToText(0.00001), "1E-05");
    EXPECT_EQ(NumberToText(1e15), "1E+15");
    EXPECT_EQ(NumberToText(4503599627370494.0), "4.50359962737049E+15");
    EXPECT_EQ(NumberToText(999999999999999.9), "1E+15");
    EXPECT_EQ(NumberToText(-0.0), "0");
    EXPECT_EQ(NumberToText(-3200), "-3200");
    EXPECT_EQ(NumberToText(1e300), "1E+300");
    EXPECT_EQ(NumberToText(std::numeric_limits<double>::infinity()), "Infinity");
    EXPECT_EQ(NumberToText(-std::numeric_limits<double>::infinity()), "-Infinity");
    EXPECT_EQ(NumberToText(std::numeric_limits<double>::quiet_NaN()), "NaN");
}

TEST(TextToNumber, AcceptsDecimalAndHexadecimalForms) {
    EXPECT_EQ(TextToNumber(" 12 "), 12);
    EXPECT_EQ(TextToNumber("-5"), -5);
    EXPECT_EQ(TextToNumber("+5.5"), 5.5);
    EXPECT_EQ(TextToNumber("5."), 5);
    EXPECT_EQ(TextToNumber(".5"), 0.5);
    EXPECT_EQ(TextToNumber("1E-05"), 1e-5);
    EXPECT_EQ(TextToNumber("4.50359962737049E+15"), 4503599627370490.0);
    EXPECT_EQ(TextToNumber("&Hff"), 255);
    EXPECT_EQ(TextToNumber("&HFFFFFFFFFFFFFFFF"), 18446744073709551616.0);
    EXPECT_EQ(TextToNumber("1e-400"), 0);
    EXPECT_EQ(TextToNumber("4.9e-324"), std::numeric_limits<double>::denorm_min());
    EXPECT_TRUE(std::signbit(TextToNumber("-0")));
    EXPECT_EQ(TextToNumber("\t7\t"), 7);
}

TEST(TextToNumber, RejectsAnythingElse) {
    for (const char* text : {"", " ", "abc", ".", "-", "1e", "1e+", "--1", "1-", "&H", "-&HFF",
                             "&HG1", "1 0", "Infinity", "NaN", "0x10", "1,5"}) {
        EXPECT_EQ(Failure([&] { TextToNumber(text); }), "Type mismatch") << '"' << text << '"';
        EXPECT_FALSE(IsNumeric(text)) << '"' << text << '"';
    }
    EXPECT_EQ(Failure([] { TextToNumber("1e400"); }), "Overflow");
    EXPECT_EQ(Failure([] { TextToNumber("&H1" + Hex(256, '0')); }), "Overflow");
    EXPECT_FALSE(IsNumeric("1e400"));
}

// ---- Validation ----------------------------------------------------------------------------

TEST(AcceptedEntry, EachBaseItsOwnTest) {
    EXPECT_EQ(AcceptedEntry("-5", 10), "-5");
    EXPECT_EQ(AcceptedEntry("5.5", 10), "5.5");
    EXPECT_EQ(AcceptedEntry("abc", 10), std::nullopt);
    EXPECT_EQ(AcceptedEntry("", 10), std::nullopt);
    EXPECT_EQ(AcceptedEntry("ff", 16), "FF");
    EXPECT_EQ(AcceptedEntry("a36", 16), "A36");
    EXPECT_EQ(AcceptedEntry("G1", 16), std::nullopt);
    EXPECT_EQ(AcceptedEntry("-FF", 16), std::nullopt);
    EXPECT_EQ(AcceptedEntry("", 16), std::nullopt);
    EXPECT_EQ(AcceptedEntry("020", 8), "020");
    EXPECT_EQ(AcceptedEntry("112", 8), "112");
    EXPECT_EQ(AcceptedEntry("18", 8), std::nullopt);
    EXPECT_EQ(AcceptedEntry("-17", 8), "-17");
    EXPECT_EQ(AcceptedEntry("1.5", 8), "1.5");
    EXPECT_EQ(AcceptedEntry("101", 2), "101");
    EXPECT_EQ(AcceptedEntry("102", 2), std::nullopt);
    EXPECT_EQ(AcceptedEntry("1 0", 2), std::nullopt);
    EXPECT_EQ(AcceptedEntry("101", 3), std::nullopt);
    // The character scan rejects what the numeric test alone lets through.
    EXPECT_FALSE(IsOctalText(" 17"));
    EXPECT_FALSE(IsOctalText("1e5"));
    EXPECT_FALSE(IsOctalText("+7"));
    EXPECT_FALSE(IsBinaryText("."));
    EXPECT_TRUE(IsBinaryText("-.1"));
}

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
            const std::optional<double> x =
                ReadPowerOfTwoDigits(text, static_cast<unsigned>(radix));
            outcome = x ? std::to_string(std::bit_cast<std::uint64_t>(*x)) : "none";
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
