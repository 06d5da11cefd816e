#include <gmp.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>

#include "engine/Calculations.h"
#include "engine/EngineError.h"
#include "engine/NumberSystem.h"
#include "engine/NumberText.h"

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
}
