#include "calc/ResultText.h"

#include <cmath>
#include <string>

#include "engine/NumberSystem.h"
#include "engine/NumberText.h"

namespace quillora {

std::string ResultText(double value, Base base) {
    std::string decimal = NumberToText(value);
    if (base == Base::Decimal || !std::isfinite(value)) {
        return decimal;
    }
    return ConvertNumber(decimal, 10, static_cast<unsigned>(Radix(base)));
}

}  // namespace quillora
