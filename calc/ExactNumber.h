#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

#include <gmpxx.h>

#include "core/Base.h"

// Exact values of entries and results: whole numbers that fit a machine word
// are held in it, everything else as a GMP rational, and a value too large to
// be worth holding as "over the bound".
namespace quillora {

// A numerator or denominator longer than this many bits is not built: such a
// value would take megabytes and seconds to write out, and no one reads it.
inline constexpr long long kExactBoundBits = 1'048'576;

// The number of bits of |z|, 0 for zero (mpz_sizeinbase says 1 for zero).
long long BitLength(const mpz_t z);
inline long long BitLength(const mpz_class& z) {
    return BitLength(z.get_mpz_t());
}

class ExactNumber {
  public:
    // Zero.
    ExactNumber() = default;

    static ExactNumber Word(std::uint64_t magnitude, bool negative) {
        ExactNumber n;
        n.magnitude_ = magnitude;
        n.negative_ = negative && magnitude != 0;
        return n;
    }
    // q need not be canonical; a whole value that fits a word becomes one, and
    // one whose numerator or denominator passes the bound becomes OverBound().
    static ExactNumber Rational(mpq_class q);
    // Rational() for a q already in lowest terms with a positive denominator, so
    // that a value of a million bits is not reduced a second time.
    static ExactNumber Canonical(mpq_class q);
    // A whole number, as Rational() takes it.
    static ExactNumber Whole(mpz_class z);
    static ExactNumber OverBound() {
        ExactNumber n;
        n.kind_ = Kind::OverBound;
        return n;
    }

    bool overBound() const { return kind_ == Kind::OverBound; }
    // Whole and |value| < 2^64: negative() and magnitude() hold all of it.
    bool isWord() const { return kind_ == Kind::Word; }
    bool isZero() const { return kind_ == Kind::Word && magnitude_ == 0; }
    // A whole number, word or not (false when over the bound).
    bool isWhole() const;
    bool negative() const { return kind_ == Kind::Big ? sgn(*big_) < 0 : negative_; }
    std::uint64_t magnitude() const { return magnitude_; }
    // The value of a number that is neither a word nor over the bound, canonical.
    const mpq_class& big() const { return *big_; }
    // Any value that is not over the bound.
    mpq_class toRational() const;

    friend bool operator==(const ExactNumber& a, const ExactNumber& b);

  private:
    enum class Kind : std::uint8_t { Word, Big, OverBound };

    Kind kind_ = Kind::Word;
    bool negative_ = false;
    std::uint64_t magnitude_ = 0;
    // Shared and never changed once made, so copying a result of a million
    // bits out of a fold costs no more than copying a word.
    std::shared_ptr<const mpq_class> big_;
};

// The exact value of an entry of a list in base, read by the grammar its double
// reading uses. Decimal: what TextToNumber accepts ("0.1" is 1/10, "1E-3" is
// 1/1000, "&H" and hexadecimal digits), texts it rejects for their form giving
// no value. Other bases: a plain run of the base's digits is the whole number
// they denote; anything else is read from the decimal text ConvertNumber makes
// of it, and no value when that fails. Values past the bound are OverBound(),
// told from the digit count and exponent before anything is built. A short
// whole entry (up to 19 decimal, 16 hexadecimal, 21 octal or 64 binary digits)
// is read without allocating.
std::optional<ExactNumber> ReadExact(std::string_view entry, Base base);

}  // namespace quillora
