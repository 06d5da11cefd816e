#include "store/IniValues.h"

#include <cstring>

#include "store/IniBytes.h"

namespace quillora::ini {

namespace {

// Quotes keep separators and spaces at either end in the value; an escape
// never starts or ends with a space, so the text itself decides.
bool HasSeparator(std::string_view text) {
    auto contains = [&](char c) { return std::memchr(text.data(), c, text.size()) != nullptr; };
    return contains(';') || contains(',') || contains('=');
}

bool NeedsQuotes(std::string_view text) {
    return HasSeparator(text) || (!text.empty() && (text.front() == ' ' || text.back() == ' '));
}

}  // namespace

void ValueFramer::add(std::string_view piece) {
    if (piece.empty()) {
        return;
    }
    if (head_.size() < 3) {
        head_.append(piece.substr(0, 3 - head_.size()));
        escapes_ = escapes_ || StartsWithByteOrderMark(head_);
    }
    last_ = piece.back();
    separators_ = separators_ || HasSeparator(piece);
    if (escapes_) {
        return;
    }
    escapes_ = bytescan::FirstOf<bytescan::Also::Control>(piece, 0, '"', '\\') != piece.size();
}

std::optional<ValueFrame> ValueFramer::frame() const {
    if (escapes_) {
        return std::nullopt;
    }
    // A leading "@" is doubled, inside the quotes; spaces at either end need them.
    const char first = head_.empty() ? '\0' : head_.front();
    if (separators_ || first == ' ' || last_ == ' ') {
        return ValueFrame{first == '@' ? "\"@" : "\"", "\""};
    }
    return ValueFrame{first == '@' ? "@" : "", ""};
}

void AppendValue(std::string& out, std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    out.reserve(out.size() + text.size() + 3);
    const bool quoted = NeedsQuotes(text);
    if (quoted) {
        out.push_back('"');
    }
    // A leading "@" would announce a typed form: QSettings doubles it.
    if (!text.empty() && text.front() == '@') {
        out.push_back('@');
    }
    bool escapeNextIfHex = false;
    auto appendHex = [&](unsigned char c) {
        out += "\\x";
        if (c >= 16) {
            out.push_back(kHex[c >> 4]);
        }
        out.push_back(kHex[c & 15]);
    };
    // QSettings decodes a value's raw bytes as one UTF-8 stream that drops a
    // byte order mark at its very start, wherever that falls after quotes and
    // escapes: until the first raw byte is out, a U+FEFF goes as an escape.
    bool rawWritten = !text.empty() && text.front() == '@';
    std::size_t i = 0;
    while (i < text.size()) {
        if (!rawWritten && StartsWithByteOrderMark(text.substr(i))) {
            out += "\\xfeff";
            escapeNextIfHex = true;
            i += 3;
            continue;
        }
        if (!escapeNextIfHex) {
            // Runs that need no escape (no control byte, quote or backslash) go over whole.
            const std::size_t plain =
                bytescan::FirstOf<bytescan::Also::Control>(text, i, '"', '\\');
            out.append(text.data() + i, plain - i);
            rawWritten = rawWritten || plain > i;
            i = plain;
            if (i == text.size()) {
                break;
            }
        }
        const char byte = text[i++];
        const auto c = static_cast<unsigned char>(byte);
        // Escapes by number run on while hexadecimal digits follow.
        if (escapeNextIfHex && HexValue(byte) >= 0) {
            appendHex(c);
            continue;
        }
        escapeNextIfHex = false;
        switch (c) {
            case '\0':
                out += "\\0";
                escapeNextIfHex = true;
                break;
            case '\a':
                out += "\\a";
                break;
            case '\b':
                out += "\\b";
                break;
            case '\f':
                out += "\\f";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\v':
                out += "\\v";
                break;
            case '"':
            case '\\':
                out.push_back('\\');
                out.push_back(byte);
                break;
            default:
                if (c <= 0x1F) {
                    appendHex(c);
                    escapeNextIfHex = true;
                } else {
                    out.push_back(byte);
                    rawWritten = true;
                }
        }
    }
    if (quoted) {
        out.push_back('"');
    }
}

}  // namespace quillora::ini
