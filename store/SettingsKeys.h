#pragma once

#include <QString>

#include "core/Base.h"

// The option keys of the settings store and the stored form of their values.
namespace quillora {

// "Option1" ... "Option4": the settings key of each base's option.
QString OptionKey(Base base);
// "1" for Decimal, "0" for the others: what an absent option key reads as.
QString OptionDefault(Base base);

// The exact results window's keys, beside the program's own: the word choice
// ("Unbounded", "8 bits", ...), whether digits are grouped, whether the
// window was open at the last close, and where it stood ("x,y,width,height").
inline const QString kExactWordKey = QStringLiteral("Exact Results Word");
inline const QString kExactGroupKey = QStringLiteral("Exact Results Group Digits");
inline const QString kExactOpenKey = QStringLiteral("Exact Results Open");
inline const QString kExactPlaceKey = QStringLiteral("Exact Results Place");

// The stored form of a truth value: "True" or "False".
QString TruthText(bool value);
// Reads a stored option value back: True or False in any case, or a number
// (zero is false, any other number true). Throws TypeMismatchError otherwise.
bool TruthValue(const QString& text);

}  // namespace quillora
