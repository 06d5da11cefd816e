#pragma once

#include <string>

#include "core/Base.h"

namespace quillora {

// A result as its row of the results table writes it: the Decimal row as
// NumberToText writes it, the others through ConvertNumber from that decimal
// text (its sign and fraction rule covers "-", "." and exponent forms). An
// infinity or not-a-number value has no digits in any base, so every row
// shows NumberToText's "Infinity", "-Infinity" or "NaN".
std::string ResultText(double value, Base base);

}  // namespace quillora
