#include "calc/StretchFold.h"

#include <cfloat>

namespace quillora {

bool StretchFold::FlagsKept() {
    static const bool kept = [] {
        std::feclearexcept(FE_OVERFLOW | FE_INVALID | FE_DIVBYZERO);
        // Volatile, so that the compiler works out none of it itself.
        volatile double largest = DBL_MAX;
        volatile double zero = 0;
        const double infinity = largest * 2;
        volatile double invalid = infinity * zero;
        static_cast<void>(invalid);
        const bool both = std::fetestexcept(FE_OVERFLOW) != 0 && std::fetestexcept(FE_INVALID) != 0;
        std::feclearexcept(FE_OVERFLOW | FE_INVALID | FE_DIVBYZERO);
        return both;
    }();
    return kept;
}

}  // namespace quillora
