#include "calc/ExactProduct.h"

#include <utility>

namespace quillora::detail {

namespace {

// Multiplying a growing number by one factor after another costs the square of
// its final length; factors gathered into small leaves that meet in a balanced
// tree let GMP's fast multiplication do the work instead.
class FactorTree {
  public:
    void multiplyWord(std::uint64_t magnitude) {
        mpz_mul_ui(leaf_.get_mpz_t(), leaf_.get_mpz_t(), magnitude);
        if (mpz_size(leaf_.get_mpz_t()) >= kLeafLimbs) {
            push(std::exchange(leaf_, mpz_class(1)));
        }
    }
    void multiply(mpz_class z) { push(std::move(z)); }
    mpz_class product() && {
        // Shortest first, so that the long multiplications come last and fewest.
        for (auto level = levels_.rbegin(); level != levels_.rend(); ++level) {
            leaf_ *= *level;
        }
        return std::move(leaf_);
    }

  private:
    static constexpr std::size_t kLeafLimbs = 8;

    void push(mpz_class z) {
        while (!levels_.empty() &&
               mpz_size(levels_.back().get_mpz_t()) <= mpz_size(z.get_mpz_t())) {
            z *= levels_.back();
            levels_.pop_back();
        }
        levels_.push_back(std::move(z));
    }

    // Each level longer than the one after it.
    std::vector<mpz_class> levels_;
    mpz_class leaf_ = 1;
};

// n1/d1 * n2/d2 in lowest terms, or false when its numerator or denominator would pass the
// bound. Cross-cancelling first tells the reduced sizes before the long multiplications.
bool MultiplyWithin(mpq_class& acc, const mpz_class& n2, const mpz_class& d2) {
    const mpz_class g1 = gcd(acc.get_num(), d2);
    const mpz_class g2 = gcd(n2, acc.get_den());
    mpz_class n1 = acc.get_num(), d1 = acc.get_den(), m = n2, e = d2;
    mpz_divexact(n1.get_mpz_t(), n1.get_mpz_t(), g1.get_mpz_t());
    mpz_divexact(e.get_mpz_t(), e.get_mpz_t(), g1.get_mpz_t());
    mpz_divexact(m.get_mpz_t(), m.get_mpz_t(), g2.get_mpz_t());
    mpz_divexact(d1.get_mpz_t(), d1.get_mpz_t(), g2.get_mpz_t());
    // bits(a * b) is bits(a) + bits(b) or one less.
    if (BitLength(n1) + BitLength(m) - 1 > kExactBoundBits ||
        BitLength(d1) + BitLength(e) - 1 > kExactBoundBits) {
        return false;
    }
    acc.get_num() = n1 * m;
    acc.get_den() = d1 * e;
    if (sgn(acc.get_den()) < 0) {
        acc.get_num() = -acc.get_num();
        acc.get_den() = -acc.get_den();
    }
    return BitLength(acc.get_num()) <= kExactBoundBits &&
           BitLength(acc.get_den()) <= kExactBoundBits;
}

}  // namespace

double Log2(const mpz_class& z) {
    long exponent = 0;
    const double mantissa = mpz_get_d_2exp(&exponent, z.get_mpz_t());
    return static_cast<double>(exponent) + std::log2(std::fabs(mantissa));
}

void RunningProduct::reset(const ExactNumber& seed) {
    words_.clear();
    bigs_.clear();
    negative_ = false;
    log2_ = 0;
    cancelled_ = 0;
    terms_ = 0;
    value_ = 0;
    seed_ = 0;
    if (seed.overBound() || seed.isZero()) {
        state_ = seed.overBound() ? State::Over : State::Zero;
        return;
    }
    state_ = State::Whole;
    seed_ = seed.toRational();
    const mpz_class& grows = divides_ ? seed_.get_den() : seed_.get_num();
    const mpz_class cancels = abs(divides_ ? seed_.get_num() : seed_.get_den());
    seedLog2_ = Log2(grows);
    remaining_ = cancels;
    remainingWord_ = 0;
    if (BitLength(cancels) <= 64) {
        mpz_export(&remainingWord_, nullptr, -1, sizeof remainingWord_, 0, 0, cancels.get_mpz_t());
    }
    tracked_ = remainingWord_ == 1;
}

void RunningProduct::track() {
    // gcd(s, F) = gcd(s, F mod s), F mod s taken factor by factor.
    mpz_class residue = 1;
    if (remainingWord_ != 0) {
        __extension__ typedef unsigned __int128 Wide;
        const std::uint64_t s = remainingWord_;
        std::uint64_t r = 1 % s;
        for (std::uint64_t word : words_) {
            r = static_cast<std::uint64_t>(static_cast<Wide>(r) * (word % s) % s);
        }
        for (const mpz_class& big : bigs_) {
            r = static_cast<std::uint64_t>(static_cast<Wide>(r) * mpz_fdiv_ui(big.get_mpz_t(), s) %
                                           s);
        }
        residue = mpz_class(static_cast<unsigned long>(r));
    } else {
        for (std::uint64_t word : words_) {
            residue *= static_cast<unsigned long>(word);
            residue %= remaining_;
        }
        for (const mpz_class& big : bigs_) {
            residue *= big;
            residue %= remaining_;
        }
    }
    tracked_ = true;
    cancelBig(residue);
}

void RunningProduct::cancelBig(const mpz_class& factor) {
    if (!tracked_) {
        return;
    }
    if (remainingWord_ != 0) {
        if (remainingWord_ == 1) {
            return;
        }
        remaining_ = mpz_class(static_cast<unsigned long>(remainingWord_));
    }
    const mpz_class d = gcd(remaining_, factor);
    if (d > 1) {
        mpz_divexact(remaining_.get_mpz_t(), remaining_.get_mpz_t(), d.get_mpz_t());
        cancelled_ += Log2(d);
        ++terms_;
    }
    remainingWord_ = 0;
    if (BitLength(remaining_) <= 64) {
        remainingWord_ = mpz_get_ui(remaining_.get_mpz_t());
    }
}

void RunningProduct::cancelBig(std::uint64_t factor) {
    cancelBig(mpz_class(static_cast<unsigned long>(factor)));
}

void RunningProduct::foldSlowly(const ExactNumber& x) {
    if (x.isZero()) {
        if (!divides_) {
            reset(ExactNumber());  // 0 times anything stays 0, past the bound or not
        }
        return;
    }
    if (state_ == State::Zero) {
        if (divides_ && x.overBound()) {
            goOver();
        }
        return;
    }
    if (state_ == State::Over) {
        return;
    }
    if (x.overBound()) {
        goOver();
        return;
    }
    if (state_ == State::Whole) {
        if (x.isWord()) {  // 1 or -1
            negative_ = negative_ != x.negative();
            return;
        }
        if (x.isWhole()) {
            const mpz_class& z = x.big().get_num();
            bigs_.push_back(abs(z));
            negative_ = negative_ != (sgn(z) < 0);
            log2_ += Log2(z);
            ++terms_;
            cancelBig(z);
            if (resultLog2() >= static_cast<double>(kExactBoundBits) - tolerance()) {
                measure();
            }
            return;
        }
        // A fraction: the result can shrink from here on, so it is measured at each step.
        value_ = wholeValue(factors());
        words_ = {};
        bigs_ = {};
        state_ = State::Rational;
    }
    const mpq_class q = x.toRational();
    const bool within = divides_ ? MultiplyWithin(value_, q.get_den(), q.get_num())
                                 : MultiplyWithin(value_, q.get_num(), q.get_den());
    if (!within) {
        goOver();
    }
}

void RunningProduct::measure() {
    if (!tracked_) {
        track();
    }
    const double bound = static_cast<double>(kExactBoundBits);
    if (resultLog2() >= bound + tolerance()) {
        goOver();
        return;
    }
    if (resultLog2() < bound - tolerance()) {
        return;
    }
    // Too close to tell from the logarithms: multiply out, and keep the product as the one
    // factor so that the next close call costs a multiplication by the new factors only.
    const mpz_class product = abs(factors());
    const mpq_class q = wholeValue(product);
    if (BitLength(divides_ ? q.get_den() : q.get_num()) > kExactBoundBits) {
        goOver();
        return;
    }
    words_.clear();
    bigs_.assign(1, product);
    log2_ = Log2(product);
    terms_ = 1;
}

void RunningProduct::goOver() {
    state_ = State::Over;
    words_ = {};
    bigs_ = {};
    value_ = 0;
}

mpz_class RunningProduct::factors() const {
    FactorTree tree;
    for (std::uint64_t word : words_) {
        tree.multiplyWord(word);
    }
    for (const mpz_class& big : bigs_) {
        tree.multiply(big);
    }
    mpz_class product = std::move(tree).product();
    return negative_ ? mpz_class(-product) : product;
}

mpq_class RunningProduct::wholeValue(const mpz_class& factors) const {
    mpq_class q;
    if (divides_) {
        q.get_num() = seed_.get_num();
        q.get_den() = seed_.get_den() * factors;
    } else {
        q.get_num() = seed_.get_num() * factors;
        q.get_den() = seed_.get_den();
    }
    q.canonicalize();
    return q;
}

ExactNumber RunningProduct::value() const {
    switch (state_) {
        case State::Zero:
            return ExactNumber();
        case State::Over:
            return ExactNumber::OverBound();
        case State::Rational:
            return ExactNumber::Canonical(value_);
        case State::Whole:
            break;
    }
    return ExactNumber::Canonical(wholeValue(factors()));
}

}  // namespace quillora::detail
