#pragma once

#include <string_view>

// Reading a digit text of base 2, 8 or 16 straight to a double.
namespace quillora {

// The double nearest to text (blanks around, an optional sign, digits of the base with at most
// one "." between them), rounded to nearest, ties to even, into value: the very value that
// reading its exact decimal text would give. Fails with "Overflow" where the whole part is
// beyond the double range. False, value untouched, for any other text (a digit beyond the
// base, no digit at all, a radix that is no power of two, a text too long for the quick
// reading): those still need the way through decimal text. A flag and an out-parameter rather
// than an optional, which came back through memory in a way the processor stalls on, and a
// run reads millions of entries.
bool ReadPowerOfTwoDigits(std::string_view text, unsigned radix, double& value);

// (The usual entry's case alone, plain digits that fit a machine word, is read inline by
// ReadPlainWordAs in PlainWordReading.h.)

}  // namespace quillora
