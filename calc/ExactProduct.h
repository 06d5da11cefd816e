#pragma once

#include <climits>
#include <cmath>
#include <cstdint>
#include <numeric>
#include <vector>

#include <gmpxx.h>

#include "calc/ExactNumber.h"

// The exact product and quotient of a fold (part of ExactFold, not used on its own).
namespace quillora::detail {

static_assert(sizeof(unsigned long) * CHAR_BIT == 64, "mpz_mul_ui must take a whole word");

// log2 |z|, z nonzero, to a few units in the last place.
double Log2(const mpz_class& z);

// seed * x * y * ... or seed / x / y / ... While every factor is whole, the
// factors are only kept, not multiplied: the size of the result is known from
// the sum of their logarithms, since the reduced numerator of a product (the
// denominator of a quotient) is the seed's part times the factors over their
// gcd with the seed's other part. That gcd can take at most the other part's
// own size off, so it is worked out only once the sum comes that close to the
// bound (from the factors modulo the other part, in one pass), and followed
// factor by factor after that. Only a sum that lands within its rounding
// error of the bound is settled by multiplying. Whole factors never
// shrink the result, so once past the bound it would have stayed past. A
// fraction ends all that: from then on each step is a rational one, measured
// as it goes. The value is multiplied out, in a balanced tree, only when it
// is asked for.
class RunningProduct {
  public:
    explicit RunningProduct(bool divides) : divides_(divides) {}

    void reset(const ExactNumber& seed);
    // The quotient's caller passes nonzero divisors only.
    void fold(const ExactNumber& x) {
        if (x.isWord()) {
            foldWord(x.magnitude(), x.negative());
        } else if (state_ != State::Over) {  // no other value is zero
            foldSlowly(x);
        }
    }
    // fold() of a word's value, with no number made for it.
    void foldWord(std::uint64_t magnitude, bool negative = false) {
        if (state_ == State::Whole && magnitude > 1) {
            addWord(magnitude, negative);
        } else if (state_ == State::Over && magnitude != 0) {
            // stays past the bound: nothing to do
        } else {
            foldSlowly(ExactNumber::Word(magnitude, negative));
        }
    }
    // Past the bound: only a zero changes it.
    bool over() const { return state_ == State::Over; }
    ExactNumber value() const;

  private:
    enum class State : std::uint8_t { Whole, Rational, Zero, Over };

    void addWord(std::uint64_t magnitude, bool negative) {
        words_.push_back(magnitude);
        negative_ = negative_ != negative;
        log2_ += std::log2(static_cast<double>(magnitude));
        ++terms_;
        if (!tracked_) {
            // the gcd is not needed yet
        } else if (remainingWord_ > 1) {
            // gcd(s, F x) = gcd(s, F) gcd(s / gcd(s, F), x), s the seed's other part.
            const std::uint64_t d = std::gcd(remainingWord_, magnitude);
            if (d > 1) {
                remainingWord_ /= d;
                cancelled_ += std::log2(static_cast<double>(d));
                ++terms_;
            }
        } else if (remainingWord_ == 0) {
            cancelBig(magnitude);
        }
        if (resultLog2() >= static_cast<double>(kExactBoundBits) - tolerance()) {
            measure();
        }
    }
    // log2 of the reduced numerator (product) or denominator (quotient); until the gcd is
    // tracked, a bound above it.
    double resultLog2() const { return seedLog2_ + log2_ - cancelled_; }
    // What the rounding of terms_ logarithms and their sum can add up to, and then some.
    double tolerance() const { return 1e-9 * static_cast<double>(terms_ + 8); }

    void foldSlowly(const ExactNumber& x);
    void cancelBig(const mpz_class& factor);
    void cancelBig(std::uint64_t factor);
    // The gcd of the seed's other part with the factors so far, from scratch.
    void track();
    // Past the bound, within it, or multiplied out to tell.
    void measure();
    void goOver();
    // The product of the factors, signed.
    mpz_class factors() const;
    mpq_class wholeValue(const mpz_class& factors) const;

    bool divides_;
    State state_ = State::Zero;
    mpq_class seed_;
    // log2 of the seed's part that the factors multiply: numerator or denominator.
    double seedLog2_ = 0;
    // The seed's other part over its gcd with the factors so far: in remainingWord_ while
    // it fits a word (1 once all is cancelled), else 0 and in remaining_.
    std::uint64_t remainingWord_ = 1;
    mpz_class remaining_;
    double cancelled_ = 0;
    bool tracked_ = true;
    std::vector<std::uint64_t> words_;
    std::vector<mpz_class> bigs_;
    bool negative_ = false;
    double log2_ = 0;
    long long terms_ = 0;
    mpq_class value_;
};

}  // namespace quillora::detail
