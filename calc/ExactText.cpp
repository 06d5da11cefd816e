#include "calc/ExactText.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>
#include <utility>

namespace quillora {
namespace {

constexpr std::string_view kEllipsis = "\xE2\x80\xA6";
constexpr std::size_t kSignificantDigits = 64;

// |z| in radix, upper-case letters.
std::string Digits(const mpz_class& z, int radix) {
    std::string text(mpz_sizeinbase(z.get_mpz_t(), radix) + 2, '\0');
    mpz_get_str(text.data(), -radix, z.get_mpz_t());
    text.resize(std::strlen(text.c_str()));
    if (!text.empty() && text.front() == '-') {
        text.erase(0, 1);
    }
    return text;
}

mpz_class Power(int radix, std::size_t exponent) {
    mpz_class p;
    mpz_ui_pow_ui(p.get_mpz_t(), static_cast<unsigned long>(radix), exponent);
    return p;
}

// "-" when negative, digits of magnitude with the point places digits from the right.
std::string PointText(bool negative, const mpz_class& magnitude, std::size_t places, int radix) {
    std::string digits = Digits(magnitude, radix);
    if (digits.size() <= places) {
        digits.insert(0, places + 1 - digits.size(), '0');
    }
    if (places > 0) {
        digits.insert(digits.size() - places, 1, '.');
    }
    return negative ? "-" + digits : digits;
}

// Places after the point of den's expansion in radix, or false when it does not end.
bool EndingPlaces(const mpz_class& den, int radix, std::size_t& places) {
    const std::size_t twos = mpz_scan1(den.get_mpz_t(), 0);
    mpz_class rest = den >> static_cast<mp_bitcnt_t>(twos);
    std::size_t fives = 0;
    if (radix == 10) {
        fives = mpz_remove(rest.get_mpz_t(), rest.get_mpz_t(), mpz_class(5).get_mpz_t());
    }
    if (rest != 1) {
        return false;
    }
    const std::size_t bitsPerDigit = radix == 16 ? 4 : radix == 8 ? 3 : 1;
    places = radix == 10 ? std::max(twos, fives) : (twos + bitsPerDigit - 1) / bitsPerDigit;
    return true;
}

// First place after the point holding a nonzero digit of num/den, num < den.
std::size_t FirstPlace(const mpz_class& num, const mpz_class& den, int radix) {
    const double bitsPerDigit = radix == 16  ? 4
                                : radix == 8 ? 3
                                : radix == 2 ? 1
                                             : 3.321928094887362;
    const auto gap = static_cast<double>(BitLength(den) - BitLength(num) - 1);
    auto place = static_cast<std::size_t>(std::max(1.0, gap / bitsPerDigit));
    // The estimate is at most a place or two off; num * radix^place >= den settles it.
    while (place > 1 && num * Power(radix, place - 1) >= den) {
        --place;
    }
    while (num * Power(radix, place) < den) {
        ++place;
    }
    return place;
}

std::string RoundedText(bool negative, const mpz_class& num, const mpz_class& den, int radix) {
    const mpz_class whole = num / den;
    const std::size_t wholeDigits = sgn(whole) == 0 ? 0 : Digits(whole, radix).size();
    std::size_t places = 1;
    if (wholeDigits == 0) {
        places = FirstPlace(num, den, radix) - 1 + kSignificantDigits;
    } else if (wholeDigits < kSignificantDigits) {
        places = kSignificantDigits - wholeDigits;
    }
    // round(num * radix^places / den), halves away from zero.
    mpz_class scaled = 2 * num * Power(radix, places) + den;
    mpz_fdiv_q(scaled.get_mpz_t(), scaled.get_mpz_t(), mpz_class(2 * den).get_mpz_t());
    const std::size_t length = Digits(scaled, radix).size();
    if (length > kSignificantDigits && length - places < kSignificantDigits && places > 1) {
        // Rounding carried into a new leading digit; the last one is a zero.
        scaled /= radix;
        --places;
    }
    return PointText(negative, scaled, places, radix) + std::string(kEllipsis);
}

std::string WordText(const mpz_class& value, int bits, int radix) {
    const mpz_class top = mpz_class(1) << bits;
    const mpz_class lowest = -(mpz_class(1) << (bits - 1));
    if (value < lowest || value >= top) {
        return "overflow (" + std::to_string(bits) + " bits)";
    }
    mpz_class pattern;
    mpz_fdiv_r_2exp(pattern.get_mpz_t(), value.get_mpz_t(), static_cast<mp_bitcnt_t>(bits));
    const int bitsPerDigit = radix == 16 ? 4 : radix == 8 ? 3 : 1;
    const auto width = static_cast<std::size_t>((bits + bitsPerDigit - 1) / bitsPerDigit);
    std::string digits = Digits(pattern, radix);
    digits.insert(0, width - std::min(width, digits.size()), '0');
    return digits;
}

// A space between groups of digits, counted outwards from the point.
std::string Grouped(std::string_view text, std::size_t size) {
    std::string_view sign, ellipsis;
    if (!text.empty() && text.front() == '-') {
        sign = text.substr(0, 1);
        text.remove_prefix(1);
    }
    if (text.ends_with(kEllipsis)) {
        ellipsis = kEllipsis;
        text.remove_suffix(kEllipsis.size());
    }
    const std::size_t point = std::min(text.find('.'), text.size());
    const std::string_view whole = text.substr(0, point);
    std::string out(sign);
    for (std::size_t i = 0; i < whole.size(); ++i) {
        if (i > 0 && (whole.size() - i) % size == 0) {
            out += ' ';
        }
        out += whole[i];
    }
    if (point < text.size()) {
        const std::string_view fraction = text.substr(point + 1);
        out += '.';
        for (std::size_t i = 0; i < fraction.size(); ++i) {
            if (i > 0 && i % size == 0) {
                out += ' ';
            }
            out += fraction[i];
        }
    }
    out += ellipsis;
    return out;
}

}  // namespace

ExactCell ExactCellText(const ExactNumber& result, Base row, int wordBits, bool group) {
    if (result.overBound()) {
        const std::string text = "more than " + std::to_string(kExactBoundBits) + " bits";
        return {text, text};
    }
    const int radix = Radix(row);
    const std::size_t groupSize = radix == 2 || radix == 16 ? 4 : 3;
    const auto finish = [&](std::string text) { return group ? Grouped(text, groupSize) : text; };
    const mpq_class q = result.toRational();
    const bool negative = sgn(q) < 0;
    const mpz_class num = abs(q.get_num());
    const mpz_class& den = q.get_den();
    if (den == 1) {
        if (wordBits > 0 && row != Base::Decimal) {
            std::string text = WordText(q.get_num(), wordBits, radix);
            if (!text.starts_with("overflow")) {
                text = finish(std::move(text));
            }
            return {text, text};
        }
        std::string text = finish(PointText(negative, num, 0, radix));
        return {text, text};
    }
    if (std::size_t places = 0; EndingPlaces(den, radix, places)) {
        const mpz_class scaled = num * Power(radix, places) / den;
        std::string text = finish(PointText(negative, scaled, places, radix));
        return {text, text};
    }
    std::string toolTip =
        (negative ? "-" : "") + finish(Digits(num, radix)) + "/" + finish(Digits(den, radix));
    return {finish(RoundedText(negative, num, den, radix)), std::move(toolTip)};
}

ExactTexts WriteExactResults(const ExactResults& results, const ExactView& view) {
    const std::array<const ExactNumber*, 4> values{&results.sum, &results.difference,
                                                   &results.product, &results.quotient};
    ExactTexts texts;
    for (Base base : kAllBases) {
        const auto row = static_cast<std::size_t>(base);
        for (std::size_t k = 0; k < values.size(); ++k) {
            ExactCell cell = ExactCellText(*values.at(k), base, view.wordBits, view.group);
            texts.cells.at(row).at(k) = std::move(cell.text);
            texts.toolTips.at(row).at(k) = std::move(cell.toolTip);
        }
    }
    return texts;
}

}  // namespace quillora
