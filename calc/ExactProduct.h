#pragma once

#include <bit>
#include <climits>
#include <cstdint>
#include <vector>

#include <gmpxx.h>

#include "calc/ExactNumber.h"

// The exact product and quotient of a fold (part of ExactFold, not used on its own).
namespace quillora::detail {

static_assert(sizeof(unsigned long) * CHAR_BIT == 64, "mpz_mul_ui must take a whole word");

// The product of whole factors. Multiplying a growing number by one word after
// another costs the square of its final length; words gather into a small leaf
// and leaves meet in a balanced tree instead, where GMP's fast multiplication
// does the work. Beside it, bounds on the product's size without computing it.
class FactorTree {
  public:
    void clear();
    // magnitude >= 2
    void multiplyWord(std::uint64_t magnitude) {
        mpz_mul_ui(leaf_.get_mpz_t(), leaf_.get_mpz_t(), magnitude);
        const int bits = std::bit_width(magnitude);
        sumBits_ += bits;
        lowerLog_ += bits - 1;
        if (mpz_size(leaf_.get_mpz_t()) >= kLeafLimbs) {
            pushLeaf();
        }
    }
    // |z| >= 2, either sign.
    void multiply(const mpz_class& z);
    void flipSign() { negative_ = !negative_; }

    // bits(|product|) is at most this.
    long long upperBits() const { return std::max(sumBits_, 1LL); }
    // log2(|product|) is at least this.
    long long lowerLog() const { return lowerLog_; }
    // |product|, left in the tree as its only factor.
    const mpz_class& collapse();
    // The product, the tree as it was.
    mpz_class product() const;

  private:
    static constexpr std::size_t kLeafLimbs = 8;

    void pushLeaf();
    void push(mpz_class z);

    // Magnitudes, each level longer than the one after it.
    std::vector<mpz_class> levels_;
    mpz_class leaf_ = 1;
    bool negative_ = false;
    long long sumBits_ = 0;
    long long lowerLog_ = 0;
};

// seed * x * y * ... or seed / x / y / ... A product of whole factors only
// grows, and so does the reduced numerator of seed * product (or denominator of
// seed / product): once past the bound it would have stayed past, so the size
// need only be measured when the bounds leave it open. A fraction ends that:
// from then on each step is a rational one, measured as it goes.
class RunningProduct {
  public:
    explicit RunningProduct(bool divides) : divides_(divides) {}

    void reset(const ExactNumber& seed);
    // The quotient's caller passes nonzero divisors only.
    void fold(const ExactNumber& x) {
        if (state_ == State::Tree && x.isWord() && x.magnitude() > 1) {
            factors_.multiplyWord(x.magnitude());
            if (x.negative()) {
                factors_.flipSign();
            }
            if (factors_.upperBits() > withinLimit_) {
                measure();
            }
        } else if (state_ == State::Over && !x.isZero()) {
            // stays past the bound: nothing to do
        } else {
            foldSlowly(x);
        }
    }
    ExactNumber value() const;

  private:
    enum class State : std::uint8_t { Tree, Rational, Zero, Over };

    void foldSlowly(const ExactNumber& x);
    // Decides from the bounds, or failing them from the value itself, whether
    // the result has passed the bound.
    void measure();
    void goOver();
    mpq_class treeValue(const mpz_class& product) const;

    bool divides_;
    State state_ = State::Zero;
    mpq_class seed_;
    long long seedNumBits_ = 0;
    long long seedDenBits_ = 0;
    // Below this, factors_.upperBits() keeps the result within the bound.
    long long withinLimit_ = 0;
    FactorTree factors_;
    mpq_class value_;
};

}  // namespace quillora::detail
