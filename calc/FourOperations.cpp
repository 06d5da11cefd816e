#include "calc/FourOperations.h"

#include <cmath>

#include "engine/EngineError.h"

namespace quillora {

namespace detail {

void ThrowFreshNonFinite(double, double, double result) {
    if (std::isinf(result)) {
        throw OverflowError();
    }
    throw InvalidOperationError();
}

}  // namespace detail

void DivideInto(double& quotient, double x) {
    if (x == 0) {
        // Never reached through the run, which tests the divisor first; kept so
        // the fold on its own cannot make an infinity out of a zero divisor.
        throw DivisionByZeroError();
    }
    detail::Store(quotient, quotient, x, quotient / x);
}

}  // namespace quillora
