#pragma once

#include <QString>

#include "core/Base.h"

// The option keys of the settings store and the stored form of their values.
namespace quillora {

// "Option1" ... "Option4": the settings key of each base's option.
QString OptionKey(Base base);
// "1" for Decimal, "0" for the others: what an absent option key reads as.
QString OptionDefault(Base base);

// The stored form of a truth value: "True" or "False".
QString TruthText(bool value);
// Reads a stored option value back: True or False in any case, or a number
// (zero is false, any other number true). Throws TypeMismatchError otherwise.
bool TruthValue(const QString& text);

}  // namespace quillora
