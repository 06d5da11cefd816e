#pragma once

#include <string_view>

#include "core/ByteScan.h"

// What reading the lines of a settings file and reading its values both ask
// of the raw bytes.
namespace quillora::ini {

// The first of two bytes at or after from, or the end: one pass over a
// value of megabytes, not a byte-by-byte loop.
inline std::size_t FindEither(std::string_view data, std::size_t from, char a, char b) {
    return bytescan::FirstOf(data, from, a, b);
}

// QSettings decodes each value as one UTF-8 stream, which drops a byte order
// mark at its start.
inline bool StartsWithByteOrderMark(std::string_view text) {
    return text.substr(0, 3) == "\xEF\xBB\xBF";
}

// A hexadecimal digit's value, -1 for any other byte: \x escapes.
inline int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

}  // namespace quillora::ini
