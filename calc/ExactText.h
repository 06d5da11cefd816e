#pragma once

#include <string>

#include "calc/ExactFold.h"
#include "calc/ExactNumber.h"
#include "calc/ResultTexts.h"
#include "core/Base.h"

// An exact result written in a results row's base.
namespace quillora {

// UTF-8 texts; the window turns them into its own strings.
struct ExactCell {
    std::string text;
    std::string toolTip;
};

// A value past the bound reads "more than 1048576 bits". A whole number is
// written with all its digits (upper-case letters, "-" before a negative), a
// fraction whose expansion in the row's base ends is written in full, and any
// other fraction rounded to 64 significant digits (to nearest, ties away from
// zero; never fewer than all of its whole digits and one fraction digit) and
// followed by "…", its tool tip then the reduced fraction "numerator/denominator"
// (grouped as the cell is); every other tool tip is the cell text.
// wordBits (8, 16, 32, 64 or 128; 0 for none) writes the whole results of the
// Hexadecimal, Octal and Binary rows as two's-complement words of that size,
// zero-padded: -4 in 32 bits is FFFFFFFC. A whole value a word cannot hold
// (below -2^(N-1) or above 2^N - 1) reads "overflow (N bits)". group puts a
// space between groups of digits counted outwards from the point: four in
// binary and hexadecimal, three in octal and decimal.
ExactCell ExactCellText(const ExactNumber& result, Base row, int wordBits, bool group);

// How exact results are written: whole results of the Hexadecimal, Octal and
// Binary rows as two's-complement words of wordBits (0: as they are), and
// digits grouped or not.
struct ExactView {
    int wordBits = 0;
    bool group = false;
    friend bool operator==(const ExactView&, const ExactView&) = default;
};

// The cells and their tool tips of each row (in the order of kAllBases) and
// operation, as the exact results window shows them.
struct ExactTexts {
    ResultTexts cells;
    ResultTexts toolTips;
};
ExactTexts WriteExactResults(const ExactResults& results, const ExactView& view);

}  // namespace quillora
