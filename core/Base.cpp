#include "core/Base.h"

namespace quillora {

QString BaseName(Base base) {
    switch (base) {
        case Base::Decimal:
            return QStringLiteral("Decimal");
        case Base::Hexadecimal:
            return QStringLiteral("Hexadecimal");
        case Base::Octal:
            return QStringLiteral("Octal");
        case Base::Binary:
            return QStringLiteral("Binary");
    }
    return {};
}

}  // namespace quillora
