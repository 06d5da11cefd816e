#include "calc/EntryReading.h"

#include "engine/EngineError.h"
#include "engine/NumberSystem.h"
#include "engine/NumberText.h"

namespace quillora {

std::string_view RequireEntry(const NumberSource& list, long long position) {
    if (position < 1 || position > list.count()) {
        throw EngineError("Subscript out of range");
    }
    return list.entry(static_cast<int>(position - 1));
}

double ReadEntry(std::string_view entry, Base base) {
    if (base == Base::Decimal) {
        return TextToNumber(entry);
    }
    return TextToNumber(ConvertNumber(entry, RadixText(base), "10"));
}

double WorkingValue::value() const {
    if (failure_) {
        std::rethrow_exception(failure_);
    }
    return value_;
}

}  // namespace quillora
