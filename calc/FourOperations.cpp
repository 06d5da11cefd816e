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

void ThrowDivisionByZero() {
    throw DivisionByZeroError();
}

}  // namespace quillora
