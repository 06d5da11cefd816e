#include "calc/EntryReading.h"

#include <optional>
#include <string>

#include "engine/EngineError.h"
#include "engine/NumberSystem.h"
#include "engine/NumberText.h"
#include "engine/PowerOfTwoReading.h"

namespace quillora {

std::string_view RequireEntry(const NumberSource& list, long long position) {
    if (position < 1 || position > list.count()) {
        throw EngineError("Subscript out of range");
    }
    return list.entry(static_cast<int>(position - 1));
}

WorkingValue ReadWorkingValue(std::string_view entry, Base base) {
    if (base == Base::Decimal) {
        return WorkingValue::Capture([&] { return TextToNumber(entry); });
    }
    // Straight from the digits for what the list holds; the rest (digits beyond the base,
    // stray characters) keeps the way through decimal text, which reads those its own way.
    if (double quick = 0; ReadPowerOfTwoDigits(entry, static_cast<unsigned>(Radix(base)), quick)) {
        return WorkingValue::Capture([&] { return quick; });
    }
    const std::string decimal = ConvertNumber(entry, static_cast<unsigned>(Radix(base)), 10);
    return WorkingValue::Capture([&] { return TextToNumber(decimal); });
}

double ReadEntry(std::string_view entry, Base base) {
    return ReadWorkingValue(entry, base).value();
}

}  // namespace quillora
