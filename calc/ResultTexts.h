#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "core/Base.h"

// The results table's texts as plain UTF-8 strings, so that `quillora --calc`
// writes them without Qt; the window turns them into its own strings.
namespace quillora {

// Rows Decimal, Hexadecimal, Octal and Binary (in the order of kAllBases),
// columns Addition, Subtraction, Multiplication and Division.
using ResultTexts = std::array<std::array<std::string, 4>, kAllBases.size()>;

inline const std::string& ResultCell(const ResultTexts& texts, Base row, std::size_t column) {
    return texts.at(static_cast<std::size_t>(row)).at(column);
}

// The results table's column headers: the row's base, then the four operations.
inline constexpr std::array<std::string_view, 5> kResultCaptions{"Base", "Addition", "Subtraction",
                                                                 "Multiplication", "Division"};

}  // namespace quillora
