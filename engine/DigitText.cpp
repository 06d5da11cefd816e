#include "DigitText.h"

#include "EngineError.h"

namespace quillora::detail {

unsigned ParseLongBase(std::string_view base) {
    if (base.empty() || base.size() > 9)
        throw TypeMismatchError();
    unsigned value = 0;
    for (char c : base) {
        if (!IsDecimalDigit(c))
            throw TypeMismatchError();
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    return RequireBase(value);
}

void RefuseBase(unsigned base) {
    if (base == 0)
        throw DivisionByZeroError();
    throw TypeMismatchError();
}

void RequireDecimalDigits(std::string_view s) {
    for (char c : s) {
        if (!IsDecimalDigit(c))
            throw TypeMismatchError();
    }
}

std::string_view StripZeroDigits(std::string_view s) {
    while (!s.empty() && DigitValue(s.front()) == 0)
        s.remove_prefix(1);
    return s;
}

}  // namespace quillora::detail
