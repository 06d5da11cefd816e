#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include <QString>

namespace quillora {

// The base every entry of the number list is written in, one per option button
// (Option1 to Option4 in this order).
enum class Base { Decimal, Hexadecimal, Octal, Binary };

inline constexpr std::array<Base, 4> kAllBases{Base::Decimal, Base::Hexadecimal, Base::Octal,
                                               Base::Binary};

constexpr int Radix(Base base) {
    switch (base) {
        case Base::Decimal:
            return 10;
        case Base::Hexadecimal:
            return 16;
        case Base::Octal:
            return 8;
        case Base::Binary:
            return 2;
    }
    return 10;
}

// The radix as the engine takes it: "10", "16", "8", "2".
inline std::string RadixText(Base base) {
    return std::to_string(Radix(base));
}

// "Decimal", "Hexadecimal", "Octal", "Binary": option captions and result row names alike.
QString BaseName(Base base);
constexpr std::string_view BaseNameText(Base base) {
    switch (base) {
        case Base::Decimal:
            return "Decimal";
        case Base::Hexadecimal:
            return "Hexadecimal";
        case Base::Octal:
            return "Octal";
        case Base::Binary:
            return "Binary";
    }
    return {};
}

// The four option flags as they stand right now. Readers take the base of the
// first flag that is on, in the order Option1 to Option4; none on means no base.
class BaseFlags {
  public:
    virtual ~BaseFlags() = default;
    virtual bool flag(Base base) const = 0;

    std::optional<Base> currentBase() const {
        for (Base base : kAllBases) {
            if (flag(base)) {
                return base;
            }
        }
        return std::nullopt;
    }
};

}  // namespace quillora
