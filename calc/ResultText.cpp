#include "calc/ResultText.h"

#include <cmath>
#include <string>

#include "engine/NumberSystem.h"
#include "engine/NumberText.h"

namespace quillora {

QString ResultText(double value, Base base) {
    const std::string decimal = NumberToText(value);
    if (base == Base::Decimal || !std::isfinite(value)) {
        return QString::fromStdString(decimal);
    }
    return QString::fromStdString(ConvertNumber(decimal, 10, static_cast<unsigned>(Radix(base))));
}

}  // namespace quillora
