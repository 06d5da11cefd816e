#include "core/Base.h"

namespace quillora {

QString BaseName(Base base) {
    const std::string_view name = BaseNameText(base);
    return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}

}  // namespace quillora
