#include "calc/FourOperations.h"

#include <cmath>

#include "engine/EngineError.h"

namespace quillora {

namespace {

// Mirrors the floating-point exception flags rather than the value alone:
// infinity plus a finite number is exact and raises nothing, so an accumulator
// that already overflowed does not report again for every later entry.
void Store(double& target, double a, double b, double result) {
    target = result;
    if (std::isinf(result) && std::isfinite(a) && std::isfinite(b)) {
        throw OverflowError();
    }
    if (std::isnan(result) && !std::isnan(a) && !std::isnan(b)) {
        throw InvalidOperationError();
    }
}

}  // namespace

void AddTo(double& sum, double x) {
    Store(sum, x, sum, x + sum);
}

void SubtractFrom(double& difference, double x) {
    Store(difference, difference, x, difference - x);
}

void MultiplyInto(double& product, double x) {
    Store(product, x, product, x * product);
}

void DivideInto(double& quotient, double x) {
    if (x == 0) {
        // Never reached through the run, which tests the divisor first; kept so
        // the fold on its own cannot make an infinity out of a zero divisor.
        throw DivisionByZeroError();
    }
    Store(quotient, quotient, x, quotient / x);
}

}  // namespace quillora
