#pragma once

#include <optional>
#include <string>
#include <string_view>

// Which texts a base takes into the number list: the tests typing, pasting and
// loading share, and the text the list then stores.
namespace quillora {

// The numeric test, then only "01234567.-" (octal) or "01.-" (binary).
bool IsOctalText(std::string_view s);
bool IsBinaryText(std::string_view s);

// What the number list stores for an entry typed or loaded in the base with
// this radix (10, 16, 8 or 2), or nothing when the entry fails that base's
// test. Hexadecimal entries are stored upper-cased.
std::optional<std::string> AcceptedEntry(std::string_view entry, int radix);
// The same test without building the stored text: true exactly when AcceptedEntry gives one.
// It neither allocates nor throws, so file loading can run it over millions of lines.
bool IsAcceptedEntry(std::string_view entry, int radix);

}  // namespace quillora
