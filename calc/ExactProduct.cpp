#include "calc/ExactProduct.h"

#include <utility>

namespace quillora::detail {

namespace {

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

void FactorTree::clear() {
    levels_.clear();
    leaf_ = 1;
    negative_ = false;
    sumBits_ = 0;
    lowerLog_ = 0;
}

void FactorTree::multiply(const mpz_class& z) {
    if (sgn(z) < 0) {
        negative_ = !negative_;
    }
    const long long bits = BitLength(z);
    sumBits_ += bits;
    lowerLog_ += bits - 1;
    push(abs(z));
}

void FactorTree::pushLeaf() {
    push(std::exchange(leaf_, mpz_class(1)));
}

void FactorTree::push(mpz_class z) {
    while (!levels_.empty() && mpz_size(levels_.back().get_mpz_t()) <= mpz_size(z.get_mpz_t())) {
        z *= levels_.back();
        levels_.pop_back();
    }
    levels_.push_back(std::move(z));
}

mpz_class FactorTree::product() const {
    // Shortest first, so that the long multiplications come last and fewest.
    mpz_class p = leaf_;
    for (auto level = levels_.rbegin(); level != levels_.rend(); ++level) {
        p *= *level;
    }
    return negative_ ? mpz_class(-p) : p;
}

const mpz_class& FactorTree::collapse() {
    const bool negative = negative_;
    mpz_class magnitude = abs(product());
    clear();
    negative_ = negative;
    sumBits_ = BitLength(magnitude);
    lowerLog_ = sumBits_ - 1;
    levels_.push_back(std::move(magnitude));
    return levels_.back();
}

void RunningProduct::reset(const ExactNumber& seed) {
    factors_.clear();
    value_ = 0;
    seed_ = 0;
    if (seed.overBound()) {
        state_ = State::Over;
        return;
    }
    if (seed.isZero()) {
        state_ = State::Zero;
        return;
    }
    state_ = State::Tree;
    seed_ = seed.toRational();
    seedNumBits_ = BitLength(seed_.get_num());
    seedDenBits_ = BitLength(seed_.get_den());
    // The product's numerator is at most seed numerator * product, the quotient's
    // denominator at most seed denominator * product.
    withinLimit_ = kExactBoundBits - (divides_ ? seedDenBits_ : seedNumBits_);
}

void RunningProduct::foldSlowly(const ExactNumber& x) {
    if (x.isZero()) {
        if (!divides_) {
            state_ = State::Zero;  // 0 times anything stays 0, past the bound or not
            factors_.clear();
            value_ = 0;
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
    if (state_ == State::Tree) {
        if (x.isWord() && x.magnitude() == 1) {
            if (x.negative()) {
                factors_.flipSign();
            }
            return;
        }
        if (x.isWhole()) {
            factors_.multiply(x.big().get_num());
            if (factors_.upperBits() > withinLimit_) {
                measure();
            }
            return;
        }
        // A fraction: the result can shrink from here on, so it is measured at each step.
        value_ = treeValue(factors_.product());
        factors_.clear();
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
    // log2 of the reduced numerator (product) or denominator (quotient) is at least
    // log2(seed's) + log2(product) - log2(the other part of the seed, all of which may cancel).
    const long long grows = divides_ ? seedDenBits_ : seedNumBits_;
    const long long cancels = divides_ ? seedNumBits_ : seedDenBits_;
    if ((grows - 1) + factors_.lowerLog() - (cancels - 1) >= kExactBoundBits) {
        goOver();
        return;
    }
    const mpz_class& product = factors_.collapse();
    const mpz_class g = gcd(product, divides_ ? seed_.get_num() : seed_.get_den());
    mpz_class measured = product / g;
    measured *= divides_ ? seed_.get_den() : seed_.get_num();
    if (BitLength(measured) > kExactBoundBits) {
        goOver();
    }
}

void RunningProduct::goOver() {
    state_ = State::Over;
    factors_.clear();
    value_ = 0;
}

mpq_class RunningProduct::treeValue(const mpz_class& product) const {
    mpq_class q;
    if (divides_) {
        q.get_num() = seed_.get_num();
        q.get_den() = seed_.get_den() * product;
    } else {
        q.get_num() = seed_.get_num() * product;
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
        case State::Tree:
            break;
    }
    return ExactNumber::Canonical(treeValue(factors_.product()));
}

}  // namespace quillora::detail
