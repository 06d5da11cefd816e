#pragma once

#include <cmath>

#include "engine/EngineError.h"

// The four folds of a calculation run, one step each. Every step stores its
// result first and only then fails when that result is a fresh infinity or
// not-a-number value, so the table can still show what the accumulator holds.
namespace quillora {

// A result that is not a number although neither operand was one (infinity
// times zero, for example).
class InvalidOperationError : public EngineError {
  public:
    InvalidOperationError() : EngineError("Invalid floating-point operation") {}
};

// The run's four accumulators; all 0 before the seed.
struct Accumulators {
    double sum = 0;
    double difference = 0;
    double product = 0;
    double quotient = 0;
};

namespace detail {

// Mirrors the floating-point exception flags rather than the value alone:
// infinity plus a finite number is exact and raises nothing, so an accumulator
// that already overflowed does not report again for every later entry.
[[noreturn]] void ThrowFreshNonFinite(double a, double b, double result);

// Whether a result of operands a and b is an infinity or not-a-number value
// that neither operand already was: the one result a fold step fails on.
inline bool FreshNonFinite(double a, double b, double result) {
    return !std::isfinite(result) && (std::isinf(result) ? std::isfinite(a) && std::isfinite(b)
                                                         : !std::isnan(a) && !std::isnan(b));
}

// Inline, as a run makes four of these per entry; only a fresh infinity or
// not-a-number value leaves the quick path.
inline void Store(double& target, double a, double b, double result) {
    target = result;
    if (FreshNonFinite(a, b, result)) {
        ThrowFreshNonFinite(a, b, result);
    }
}

}  // namespace detail

// sum = x + sum
inline void AddTo(double& sum, double x) {
    detail::Store(sum, x, sum, x + sum);
}
// difference = difference - x
inline void SubtractFrom(double& difference, double x) {
    detail::Store(difference, difference, x, difference - x);
}
// product = x * product
inline void MultiplyInto(double& product, double x) {
    detail::Store(product, x, product, x * product);
}
[[noreturn]] void ThrowDivisionByZero();

// quotient = quotient / x
inline void DivideInto(double& quotient, double x) {
    if (x == 0) {
        // Never reached through the run, which tests the divisor first; kept so
        // the fold on its own cannot make an infinity out of a zero divisor.
        ThrowDivisionByZero();
    }
    detail::Store(quotient, quotient, x, quotient / x);
}

// Whether x divides the quotient: every nonzero value does, so negative
// divisors count; only a zero leaves the quotient as it is.
inline bool DividesQuotient(double x) {
    return x != 0;
}

}  // namespace quillora
