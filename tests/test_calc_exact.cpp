// The exact results: reading entries, the fold and the cell texts, against a
// plain rational computation and a digit-by-digit formatter written here.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "calc/ExactFold.h"
#include "calc/ExactNumber.h"
#include "calc/ExactText.h"
#include "engine/EngineError.h"
#include "engine/NumberSystem.h"
#include "engine/NumberText.h"

using namespace quillora;

namespace {

constexpr long long kBound = 1'048'576;
const std::string kOver = "more than 1048576 bits";
const std::string kEllipsis = "\xE2\x80\xA6";

// ---- the reference: straightforward rationals -------------------------------------------

struct Value {
    bool over = false;
    mpq_class q;
};

bool PastBound(const mpq_class& q) {
    return static_cast<long long>(mpz_sizeinbase(q.get_num_mpz_t(), 2)) > kBound ||
           static_cast<long long>(mpz_sizeinbase(q.get_den_mpz_t(), 2)) > kBound;
}

Value Checked(const mpq_class& q) {
    return PastBound(q) ? Value{true, 0} : Value{false, q};
}

struct Reference {
    Value sum, difference, product, quotient;

    explicit Reference(const Value& first)
        : sum(first), difference(first), product(first), quotient(first) {}

    void fold(const Value& x) {
        const bool zero = !x.over && x.q == 0;
        if (!sum.over)
            sum = x.over ? Value{true, 0} : Checked(sum.q + x.q);
        if (!difference.over)
            difference = x.over ? Value{true, 0} : Checked(difference.q - x.q);
        if (zero)
            product = Value{false, 0};
        else if (!product.over && product.q != 0)
            product = x.over ? Value{true, 0} : Checked(product.q * x.q);
        if (!zero && !quotient.over)
            quotient = x.over ? Value{true, 0} : Checked(quotient.q / x.q);
    }
};

void ExpectSame(const ExactNumber& actual, const Value& expected, const std::string& what) {
    ASSERT_EQ(actual.overBound(), expected.over) << what;
    if (!expected.over) {
        EXPECT_EQ(actual.toRational(), expected.q)
            << what << ": " << actual.toRational().get_str() << " vs " << expected.q.get_str();
    }
}

// ---- random entries, each with the value it was written from ----------------------------

struct Entry {
    std::string text;
    Value value;
};

mpz_class Pow(int radix, unsigned long exponent) {
    mpz_class p;
    mpz_ui_pow_ui(p.get_mpz_t(), static_cast<unsigned long>(radix), exponent);
    return p;
}

std::string RandomDigits(std::mt19937_64& rng, int radix, std::size_t count) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string s;
    for (std::size_t i = 0; i < count; ++i) {
        char c = kDigits[rng() % static_cast<unsigned>(radix)];
        s += rng() % 4 == 0 ? static_cast<char>(std::tolower(c)) : c;
    }
    return s;
}

mpz_class DigitsValue(const std::string& digits, int radix) {
    return digits.empty() ? mpz_class(0) : mpz_class(digits, radix);
}

Entry RandomDecimal(std::mt19937_64& rng) {
    const unsigned kind = rng() % 10;
    if (kind == 0) {
        const std::string hex = RandomDigits(rng, 16, 1 + rng() % 24);
        return {"&H" + hex, {false, DigitsValue(hex, 16)}};
    }
    if (kind == 1 && rng() % 2 == 0) {
        // Far past a double, near the bound: products of two pass it.
        const unsigned long exponent = 200'000 + rng() % 120'000;
        const mpq_class q = Pow(10, exponent);
        return {"1E+" + std::to_string(exponent), Checked(q)};
    }
    const bool negative = rng() % 3 == 0;
    const std::string whole = RandomDigits(rng, 10, rng() % (kind < 5 ? 19 : 30));
    const std::string fraction = kind >= 5 ? RandomDigits(rng, 10, rng() % 12) : "";
    std::string text = (negative ? "-" : rng() % 5 == 0 ? "+" : "") + whole;
    if (!fraction.empty() || (kind >= 5 && rng() % 2 == 0))
        text += "." + fraction;
    if (whole.empty() && fraction.empty())
        text += "0";
    long long exponent = 0;
    if (kind >= 7) {
        exponent = static_cast<long long>(rng() % 41) - 20;
        text += (rng() % 2 ? "E" : "e") + std::string(exponent >= 0 && rng() % 2 ? "+" : "") +
                std::to_string(exponent);
    }
    if (rng() % 6 == 0)
        text = " " + text + "\t";
    mpq_class q(DigitsValue(whole + fraction, 10));
    const long long scale = exponent - static_cast<long long>(fraction.size());
    if (scale >= 0)
        q *= Pow(10, static_cast<unsigned long>(scale));
    else
        q /= Pow(10, static_cast<unsigned long>(-scale));
    q.canonicalize();
    return {text, {false, negative ? mpq_class(-q) : q}};
}

Entry RandomInBase(std::mt19937_64& rng, Base base) {
    const int radix = Radix(base);
    const std::string digits = RandomDigits(rng, radix, 1 + rng() % (radix == 2 ? 90 : 30));
    if (rng() % 5 != 0)
        return {digits, {false, DigitsValue(digits, radix)}};
    // A sign or a point: read through ConvertNumber's decimal text, exact for these bases.
    const std::string fraction = RandomDigits(rng, radix, 1 + rng() % 6);
    mpq_class q(DigitsValue(digits + fraction, radix),
                Pow(radix, static_cast<unsigned long>(fraction.size())));
    q.canonicalize();
    return {"-" + digits + "." + fraction, {false, -q}};
}

Entry RandomEntry(std::mt19937_64& rng, Base base) {
    if (rng() % 80 == 0)
        return {"0", {false, 0}};
    return base == Base::Decimal ? RandomDecimal(rng) : RandomInBase(rng, base);
}

// ---- the reference formatter: one digit at a time ---------------------------------------

char DigitChar(unsigned long d) {
    return "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ"[d];
}

std::string WholeDigits(const mpz_class& z, int radix) {
    std::string s = mpz_class(abs(z)).get_str(radix);
    std::transform(s.begin(), s.end(), s.begin(), [](char c) { return std::toupper(c); });
    return s;
}

// The fraction's digits by long division: all of them when the expansion ends within
// kMostPlaces digits, else rounded half away from zero to 64 significant digits, and at
// least one after the point.
constexpr std::size_t kMostPlaces = 4000;

std::string ReferenceText(const mpq_class& q, int radix) {
    const mpz_class num = abs(q.get_num()), den = q.get_den();
    std::string whole = WholeDigits(num / den, radix);
    mpz_class rest = num % den;
    std::string fraction;
    while (rest != 0 && fraction.size() < kMostPlaces) {
        rest *= radix;
        fraction += DigitChar(mpz_class(rest / den).get_ui());
        rest %= den;
    }
    const bool ends = rest == 0;
    if (!ends) {
        rest = num % den;
        fraction.clear();
        std::size_t significant = whole == "0" ? 0 : whole.size();
        while (significant < 64 || fraction.empty()) {
            rest *= radix;
            fraction += DigitChar(mpz_class(rest / den).get_ui());
            rest %= den;
            if (significant > 0 || fraction.back() != '0')
                ++significant;
        }
    }
    if (!ends && 2 * rest >= den) {
        std::string digits = whole + fraction;
        std::size_t i = digits.size();
        for (;;) {
            if (i == 0) {
                digits.insert(0, 1, '1');
                break;
            }
            const int d = std::string("0123456789ABCDEF").find(digits[--i]);
            if (d + 1 < radix) {
                digits[i] = DigitChar(static_cast<unsigned long>(d + 1));
                break;
            }
            digits[i] = '0';
        }
        whole = digits.substr(0, digits.size() - fraction.size());
        fraction = digits.substr(whole.size());
        // A carry into a new leading digit leaves 65 significant digits, the last a zero.
        if (whole != "0" && whole.size() + fraction.size() > 64 && fraction.size() > 1 &&
            whole.size() < 64)
            fraction.pop_back();
    }
    std::string text = (sgn(q) < 0 ? "-" : "") + whole;
    if (!fraction.empty())
        text += "." + fraction;
    return ends ? text : text + kEllipsis;
}

std::string ReferenceWord(const mpz_class& v, int bits, int radix) {
    const mpz_class size = mpz_class(1) << bits;
    if (v >= size || v < -(size / 2))
        return "overflow (" + std::to_string(bits) + " bits)";
    std::string digits = WholeDigits(v < 0 ? mpz_class(v + size) : v, radix);
    const int perDigit = radix == 16 ? 4 : radix == 8 ? 3 : 1;
    const auto width = static_cast<std::size_t>((bits + perDigit - 1) / perDigit);
    return std::string(width - digits.size(), '0') + digits;
}

// Ungrouped again, and every group between spaces full except the outermost ones.
std::string Ungrouped(const std::string& grouped, std::size_t size) {
    std::string plain;
    std::string_view body = grouped;
    if (body.ends_with(kEllipsis))
        body.remove_suffix(kEllipsis.size());
    if (body.starts_with("-"))
        body.remove_prefix(1);
    const std::size_t point = std::min(body.find('.'), body.size());
    std::size_t run = 0;
    for (std::size_t i = 0; i < point; ++i) {
        if (body[i] == ' ') {
            EXPECT_TRUE(run > 0 && run <= size) << grouped;
            run = 0;
        } else {
            ++run;
        }
    }
    EXPECT_TRUE(point == 0 || run == size || body.find(' ') > point) << grouped;
    run = 0;
    for (std::size_t i = point + 1; i < body.size(); ++i) {
        EXPECT_TRUE(body[i] != ' ' || run == size) << grouped;
        run = body[i] == ' ' ? 0 : run + 1;
    }
    std::remove_copy(grouped.begin(), grouped.end(), std::back_inserter(plain), ' ');
    return plain;
}

// Long division takes a step per digit: fractions of a few thousand bits are compared,
// whole numbers of every size.
bool Formattable(const Value& v) {
    return v.over || v.q.get_den() == 1 ||
           mpz_sizeinbase(v.q.get_num_mpz_t(), 2) + mpz_sizeinbase(v.q.get_den_mpz_t(), 2) < 8192;
}

void ExpectCells(const ExactNumber& result, const Value& expected) {
    if (!Formattable(expected))
        return;
    for (Base row : kAllBases) {
        const int radix = Radix(row);
        for (int bits : {0, 8, 16, 32, 64, 128}) {
            const ExactCell cell = ExactCellText(result, row, bits, false);
            std::string want;
            if (expected.over)
                want = kOver;
            else if (bits > 0 && row != Base::Decimal && expected.q.get_den() == 1)
                want = ReferenceWord(expected.q.get_num(), bits, radix);
            else
                want = ReferenceText(expected.q, radix);
            ASSERT_EQ(cell.text, want)
                << expected.q.get_str() << " in base " << radix << ", " << bits << " bits";
            const bool rounded = cell.text.ends_with(kEllipsis);
            EXPECT_EQ(cell.toolTip, rounded ? (sgn(expected.q) < 0 ? "-" : "") +
                                                  WholeDigits(expected.q.get_num(), radix) + "/" +
                                                  WholeDigits(expected.q.get_den(), radix)
                                            : cell.text);
            const ExactCell grouped = ExactCellText(result, row, bits, true);
            if (!want.starts_with("overflow") && !expected.over) {
                EXPECT_EQ(Ungrouped(grouped.text, radix == 2 || radix == 16 ? 4 : 3), want);
            }
        }
    }
}

// ---- properties -------------------------------------------------------------------------

TEST(ExactFold, RandomListsMatchPlainRationalsInEveryBase) {
    std::mt19937_64 rng(20240611);
    for (int round = 0; round < 160; ++round) {
        const Base base = kAllBases.at(static_cast<std::size_t>(round % 4));
        const int count = 2 + static_cast<int>(rng() % 49);
        std::vector<Entry> entries;
        for (int i = 0; i < count; ++i)
            entries.push_back(RandomEntry(rng, base));
        std::optional<ExactNumber> first = ReadExact(entries[0].text, base);
        ASSERT_TRUE(first) << entries[0].text;
        ExpectSame(*first, entries[0].value, entries[0].text);
        ExactFold fold(*first);
        Reference reference(entries[0].value);
        for (int i = 1; i < count; ++i) {
            const std::optional<ExactNumber> x = ReadExact(entries[i].text, base);
            ASSERT_TRUE(x) << entries[i].text;
            ExpectSame(*x, entries[i].value, entries[i].text);
            fold.fold(*x);
            reference.fold(entries[i].value);
        }
        const ExactResults r = fold.results();
        ExpectSame(r.sum, reference.sum, "sum");
        ExpectSame(r.difference, reference.difference, "difference");
        ExpectSame(r.product, reference.product, "product");
        ExpectSame(r.quotient, reference.quotient, "quotient");
        if (round % 8 < 3) {  // the texts of a few hundred results in 4 bases and 6 word sizes
            ExpectCells(r.sum, reference.sum);
            ExpectCells(r.quotient, reference.quotient);
            ExpectCells(r.difference, reference.difference);
        }
    }
}

// A text has an exact value exactly when TextToNumber reads it or fails only for its size,
// and then the double it reads is the exact value rounded.
TEST(ReadExact, DecimalTakesTheTextsTextToNumberTakes) {
    std::mt19937_64 rng(7);
    const std::string alphabet = "0123456789..eE+-- \t&Hh";
    for (int i = 0; i < 20000; ++i) {
        std::string text;
        const std::size_t length = rng() % 9;
        for (std::size_t k = 0; k < length; ++k)
            text += alphabet[rng() % alphabet.size()];
        const std::optional<ExactNumber> exact = ReadExact(text, Base::Decimal);
        bool mismatch = false;
        double value = 0;
        try {
            value = TextToNumber(text);
        } catch (const TypeMismatchError&) {
            mismatch = true;
        } catch (const EngineError&) {
            continue;
        }
        ASSERT_EQ(exact.has_value(), !mismatch) << '"' << text << '"';
        if (exact && std::isnormal(value)) {
            const mpq_class q = exact->toRational();
            EXPECT_LE(abs(mpq_class(value) - q), abs(q) / (mpz_class(1) << 52)) << text;
        }
    }
}

// ---- named cases --------------------------------------------------------------------------

ExactNumber Read(std::string_view text, Base base = Base::Decimal) {
    return ReadExact(text, base).value();
}

ExactResults FoldOf(const std::vector<std::string>& entries, Base base) {
    ExactFold fold(Read(entries.front(), base));
    for (std::size_t i = 1; i < entries.size(); ++i)
        fold.fold(Read(entries[i], base));
    return fold.results();
}

std::string Text(const ExactNumber& n, Base row, int bits = 0, bool group = false) {
    return ExactCellText(n, row, bits, group).text;
}

TEST(ReadExact, ReadsEachFormExactly) {
    EXPECT_EQ(Read("0.1").toRational(), mpq_class(1, 10));
    EXPECT_EQ(Read("1E-3").toRational(), mpq_class(1, 1000));
    EXPECT_EQ(Read(" -2.50e+1\t").toRational(), mpq_class(-25));
    EXPECT_EQ(Read("5.").toRational(), mpq_class(5));
    EXPECT_EQ(Read("-.5").toRational(), mpq_class(-1, 2));
    EXPECT_EQ(Read("&Hff").toRational(), mpq_class(255));
    EXPECT_TRUE(Read("-0.000").isZero());
    EXPECT_EQ(Read("18446744073709551615"), ExactNumber::Word(UINT64_MAX, false));
    EXPECT_EQ(Read("18446744073709551616").toRational(), mpq_class(mpz_class(1) << 64));
    EXPECT_EQ(Read("ffffffffffffffff", Base::Hexadecimal), ExactNumber::Word(UINT64_MAX, false));
    EXPECT_EQ(Read("1777777777777777777777", Base::Octal), ExactNumber::Word(UINT64_MAX, false));
    for (const char* rejected :
         {"", " ", "1E", "E5", ".", "+", "1.2.3", "&H", "&HG", "1 2", "--1", "&H-1"}) {
        EXPECT_FALSE(ReadExact(rejected, Base::Decimal)) << '"' << rejected << '"';
    }
}

TEST(ReadExact, OtherTextsOfABaseGoThroughConvertNumber) {
    EXPECT_EQ(Read("-1A.8", Base::Hexadecimal).toRational(), mpq_class(-53, 2));
    EXPECT_EQ(Read(" 101.01 ", Base::Binary).toRational(), mpq_class(21, 4));
    for (const char* stray : {"9", "1G", "7.9"}) {
        EXPECT_EQ(Read(stray, Base::Octal), Read(ConvertNumber(stray, 8, 10))) << stray;
    }
    // A whole part beyond every double fails in ConvertNumber: no exact value.
    EXPECT_FALSE(ReadExact("-" + std::string(300, 'F'), Base::Hexadecimal));
    // A plain run of digits of any length up to the bound is read all the same.
    EXPECT_FALSE(Read(std::string(300, 'F'), Base::Hexadecimal).overBound());
}

TEST(ReadExact, SizeIsDecidedBeforeTheValueIsBuilt) {
    EXPECT_TRUE(Read("1E+999999999").overBound());
    EXPECT_TRUE(Read("-1E-999999999").overBound());
    EXPECT_TRUE(Read("1E+99999999999999999999999999").overBound());
    // 10^315652 has 1048576 bits, 10^315653 has 1048579.
    EXPECT_EQ(Read("1E+315652").toRational(), mpq_class(Pow(10, 315652)));
    EXPECT_TRUE(Read("1E+315653").overBound());
    EXPECT_TRUE(Read("1E-315653").overBound());
    EXPECT_EQ(Read("2E-315652").toRational(), mpq_class(1, Pow(10, 315652) / 2));
    EXPECT_FALSE(Read(std::string(262144, 'F'), Base::Hexadecimal).overBound());
    EXPECT_TRUE(Read("1" + std::string(262144, '0'), Base::Hexadecimal).overBound());
    EXPECT_TRUE(Read("&H1" + std::string(262144, '0')).overBound());
}

TEST(ExactFold, NamedLists) {
    EXPECT_EQ(Text(FoldOf({"FFFFFFFFFFFFFFFF", "1"}, Base::Hexadecimal).sum, Base::Hexadecimal),
              "10000000000000000");
    EXPECT_EQ(Text(FoldOf({"9007199254740992", "1"}, Base::Decimal).sum, Base::Decimal),
              "9007199254740993");
    // Negative divisors divide; zeros do not.
    const ExactResults r = FoldOf({"100", "-4", "0", "8"}, Base::Decimal);
    EXPECT_EQ(Text(r.sum, Base::Decimal), "104");
    EXPECT_EQ(Text(r.difference, Base::Decimal), "96");
    EXPECT_EQ(Text(r.product, Base::Decimal), "0");
    EXPECT_EQ(Text(r.quotient, Base::Decimal), "-3.125");
    const ExactResults none = ExactFold().results();
    EXPECT_TRUE(none.sum.isZero() && none.difference.isZero() && none.product.isZero() &&
                none.quotient.isZero());
}

TEST(ExactFold, ProductPastTheBoundStaysThereUntilAZero) {
    std::vector<std::string> entries(20'000, "FFFFFFFFFFFFFFFF");
    ExactResults r = FoldOf(entries, Base::Hexadecimal);
    EXPECT_EQ(Text(r.product, Base::Hexadecimal), kOver);
    EXPECT_EQ(Text(r.quotient, Base::Hexadecimal), kOver);
    EXPECT_EQ(r.sum.toRational(), mpq_class(mpz_class(20'000) * (Pow(2, 64) - 1)));
    EXPECT_EQ(r.difference.toRational(), mpq_class(mpz_class(-19'998) * (Pow(2, 64) - 1)));
    entries.insert(entries.begin() + 5'000, "0");
    entries.push_back("1" + std::string(1'048'577, '0'));
    r = FoldOf(entries, Base::Binary);
    EXPECT_TRUE(r.product.isZero());
    // Zero times a value past the bound is still zero; the other three are past it.
    r = FoldOf({"5", "0", "1E+999999999", "3"}, Base::Decimal);
    EXPECT_TRUE(r.product.isZero());
    EXPECT_TRUE(r.sum.overBound() && r.difference.overBound() && r.quotient.overBound());
    // A seed past the bound: so are all four, the product until its zero.
    r = FoldOf({"1E-999999999", "2", "0", "7"}, Base::Decimal);
    EXPECT_TRUE(r.sum.overBound() && r.difference.overBound() && r.quotient.overBound());
    EXPECT_TRUE(r.product.isZero());
}

// Words taken in stretches (their sums added apart, the product and quotient
// tested once past the bound) give what folding each word gives, from seeds
// small, negative, fractional, near the bound and past it.
TEST(ExactFold, WordsInStretchesGiveWhatFoldingEachGives) {
    const std::vector<std::pair<std::string, Base>> seeds{
        {"7", Base::Decimal},
        {"-3", Base::Decimal},
        {"0.1", Base::Decimal},
        {"0", Base::Decimal},
        {"1" + std::string(1'048'575, '0'), Base::Binary},
        {"1E-999999999", Base::Decimal}};
    const auto same = [](const ExactNumber& a, const ExactNumber& b, const char* what) {
        ASSERT_EQ(a.overBound(), b.overBound()) << what;
        if (!a.overBound()) {
            EXPECT_EQ(a.toRational(), b.toRational()) << what;
        }
    };
    std::mt19937_64 rng(20261209);
    for (int round = 0; round < 24; ++round) {
        const auto& [text, base] = seeds[static_cast<std::size_t>(round) % seeds.size()];
        const std::optional<ExactNumber> seed = ReadExact(text, base);
        ASSERT_TRUE(seed) << text;
        ExactFold eachAlone(*seed);
        ExactFold inStretches(*seed);
        std::size_t left = 1 + rng() % 40'000;  // past the product's bound from about 16,400
        while (left > 0) {
            ExactFold::Words words(inStretches);
            for (std::size_t n = std::min<std::size_t>(left, 1 + rng() % 3'000); n > 0; --n) {
                const unsigned pick = rng() % 100;
                const std::uint64_t word = pick == 0   ? 0
                                           : pick == 1 ? 1
                                           : pick < 20 ? rng() % 10
                                                       : rng();
                eachAlone.foldWord(word);
                words.take(word);
                --left;
            }
            words.finish();
        }
        const ExactResults a = eachAlone.results();
        const ExactResults b = inStretches.results();
        SCOPED_TRACE(round);
        same(a.sum, b.sum, "sum");
        same(a.difference, b.difference, "difference");
        same(a.product, b.product, "product");
        same(a.quotient, b.quotient, "quotient");
    }
}

TEST(ExactFold, BoundIsExactAtItsEdge) {
    // 2^1048575 has 1048576 bits: in. Doubling it passes the bound, and halving it again
    // does not bring it back.
    const std::string top = "1" + std::string(1'048'575, '0');
    ExactResults r = FoldOf({top, "1"}, Base::Binary);
    EXPECT_FALSE(r.product.overBound());
    EXPECT_EQ(r.sum.toRational(), mpq_class(Pow(2, 1'048'575) + 1));
    r = FoldOf({top, "10", "0.1"}, Base::Binary);
    EXPECT_TRUE(r.product.overBound());
    EXPECT_FALSE(r.quotient.overBound());
    const std::string decimalTop = Pow(2, 1'048'575).get_str();
    r = FoldOf({decimalTop, decimalTop, "-" + decimalTop}, Base::Decimal);
    EXPECT_TRUE(r.sum.overBound());
    EXPECT_FALSE(r.difference.overBound());
    EXPECT_EQ(r.difference.toRational(), mpq_class(Pow(2, 1'048'575)));
}

// Threes past a seed sharing forty of them: the reduced denominator (quotient) or numerator
// (product) is 3^(k - 40), past the bound from the first k where that has more than
// 1048576 bits, and not one factor before.
TEST(ExactFold, CancellingSeedMovesTheBoundExactly) {
    long m = 1;
    while (mpz_sizeinbase(Pow(3, static_cast<unsigned long>(m)).get_mpz_t(), 2) <= kBound)
        m = m * 2;
    long low = m / 2;  // 3^low fits, 3^m does not
    while (m - low > 1) {
        const long mid = (low + m) / 2;
        const bool fits =
            mpz_sizeinbase(Pow(3, static_cast<unsigned long>(mid)).get_mpz_t(), 2) <= kBound;
        (fits ? low : m) = mid;
    }
    const ExactNumber three = ExactNumber::Word(3, false);
    const ExactNumber minusThree = ExactNumber::Word(3, true);
    const ExactNumber seed = ExactNumber::Word(Pow(3, 40).get_ui(), false);
    const ExactNumber fractionSeed = ExactNumber::Rational(mpq_class(1, Pow(3, 40)));
    for (const long factors : {40 + low, 40 + m}) {
        ExactFold quotient(seed), product(fractionSeed);
        for (long i = 0; i < factors; ++i) {
            quotient.fold(i % 2 ? three : minusThree);
            product.fold(three);
        }
        const bool over = factors == 40 + m;
        const ExactResults q = quotient.results(), p = product.results();
        ASSERT_EQ(q.quotient.overBound(), over) << factors;
        ASSERT_EQ(p.product.overBound(), over) << factors;
        if (!over) {
            // Printing these would take pages: compared, not shown.
            const bool negative = (factors + 1) / 2 % 2 == 1;
            const mpz_class power = Pow(3, static_cast<unsigned long>(low));
            EXPECT_TRUE(q.quotient.toRational() == mpq_class(negative ? -1 : 1, power));
            EXPECT_TRUE(p.product.toRational() == mpq_class(power));
        }
    }
}

TEST(ExactCellText, ThirdsHalvesAndWords) {
    const ExactNumber third = FoldOf({"1", "3"}, Base::Decimal).quotient;
    EXPECT_EQ(Text(third, Base::Decimal), "0." + std::string(64, '3') + kEllipsis);
    EXPECT_EQ(Text(third, Base::Hexadecimal), "0." + std::string(64, '5') + kEllipsis);
    std::string octal = "0.", binary = "0.0";
    for (int i = 0; i < 32; ++i)
        octal += "25";
    for (int i = 0; i < 31; ++i)
        binary += "10";
    EXPECT_EQ(Text(third, Base::Octal), octal + kEllipsis);
    EXPECT_EQ(Text(third, Base::Binary), binary + "11" + kEllipsis);
    EXPECT_EQ(ExactCellText(third, Base::Binary, 32, false).toolTip, "1/11");
    EXPECT_EQ(ExactCellText(third, Base::Decimal, 0, false).toolTip, "1/3");
    const ExactNumber half = FoldOf({"1", "10"}, Base::Binary).quotient;
    EXPECT_EQ(Text(half, Base::Binary, 8), "0.1");
    EXPECT_EQ(Text(half, Base::Hexadecimal), "0.8");
    EXPECT_EQ(ExactCellText(half, Base::Octal, 0, false).toolTip, "0.4");

    const ExactNumber minusFour = Read("-4");
    EXPECT_EQ(Text(minusFour, Base::Hexadecimal, 32), "FFFFFFFC");
    EXPECT_EQ(Text(minusFour, Base::Octal, 32), "37777777774");
    EXPECT_EQ(Text(minusFour, Base::Binary, 32), std::string(29, '1') + "100");
    EXPECT_EQ(Text(minusFour, Base::Decimal, 32), "-4");
    for (int bits : {8, 16, 64, 128}) {
        EXPECT_EQ(Text(minusFour, Base::Hexadecimal, bits),
                  std::string(static_cast<std::size_t>(bits / 4 - 1), 'F') + "C");
        EXPECT_EQ(Text(minusFour, Base::Binary, bits),
                  std::string(static_cast<std::size_t>(bits - 3), '1') + "100");
    }
    EXPECT_EQ(Text(minusFour, Base::Octal, 8), "374");
    EXPECT_EQ(Text(minusFour, Base::Octal, 64), "1" + std::string(20, '7') + "4");
    EXPECT_EQ(Text(minusFour, Base::Octal, 128), "3" + std::string(41, '7') + "4");
    EXPECT_EQ(Text(Read("9223372036854775808"), Base::Hexadecimal, 64), "8000000000000000");
    EXPECT_EQ(Text(Read("-9223372036854775808"), Base::Hexadecimal, 64), "8000000000000000");
    EXPECT_EQ(Text(Read("-9223372036854775809"), Base::Hexadecimal, 64), "overflow (64 bits)");
    EXPECT_EQ(Text(Read("18446744073709551616"), Base::Hexadecimal, 64), "overflow (64 bits)");
    EXPECT_EQ(Text(Read("256"), Base::Binary, 8), "overflow (8 bits)");
    EXPECT_EQ(Text(Read("1E+400"), Base::Decimal), "1" + std::string(400, '0'));
    EXPECT_EQ(Text(ExactNumber::OverBound(), Base::Octal, 16), kOver);
}

TEST(ExactCellText, RoundingKeepsEveryWholeDigit) {
    // 64 whole digits: all of them and one rounded fraction digit.
    const ExactResults r = FoldOf({"1E+64", "-3"}, Base::Decimal);
    EXPECT_EQ(Text(r.quotient, Base::Decimal), "-" + std::string(64, '3') + ".3" + kEllipsis);
    EXPECT_EQ(Text(FoldOf({"2E+64", "3"}, Base::Decimal).quotient, Base::Decimal),
              std::string(64, '6') + ".7" + kEllipsis);
    EXPECT_EQ(Text(FoldOf({"2", "3"}, Base::Decimal).quotient, Base::Decimal),
              "0." + std::string(63, '6') + "7" + kEllipsis);
    EXPECT_EQ(Text(FoldOf({"-20", "3"}, Base::Decimal).quotient, Base::Decimal),
              "-6." + std::string(62, '6') + "7" + kEllipsis);
}

TEST(ExactCellText, GroupsCountOutwardsFromThePoint) {
    EXPECT_EQ(Text(Read("-1234567"), Base::Decimal, 0, true), "-1 234 567");
    EXPECT_EQ(Text(Read("1234.5678"), Base::Decimal, 0, true), "1 234.567 8");
    EXPECT_EQ(Text(Read("-4"), Base::Hexadecimal, 32, true), "FFFF FFFC");
    EXPECT_EQ(Text(Read("-4"), Base::Octal, 8, true), "374");
    EXPECT_EQ(Text(Read("100"), Base::Binary, 0, true), "110 0100");
    EXPECT_EQ(Text(FoldOf({"1", "3"}, Base::Decimal).quotient, Base::Decimal, 0, true),
              "0.333 333 333 333 333 333 333 333 333 333 333 333 333 333 333 333 333 333 333 333 "
              "333 3" +
                  kEllipsis);
}

}  // namespace
