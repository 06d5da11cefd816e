#pragma once

#include <optional>
#include <string>
#include <string_view>

// The values of the INI dialect QSettings reads and writes: how a value's raw
// bytes read as text and how a text is escaped so that QSettings reads
// exactly it back. Every rule here mirrors QSettings' own.
namespace quillora::ini {

// What QSettings makes of a value's raw bytes, for the store's purposes.
struct Value {
    enum class Kind {
        Text,     // a plain text (or a list or byte array, read back as one text)
        NotText,  // a rectangle, a serialised variant...: no text at all
    };
    Kind kind = Kind::Text;
    std::string text;  // UTF-8
};
Value ReadValue(std::string_view raw);
// The text straight from the raw bytes when it needs no decoding (no
// escapes, at most one pair of quotes, valid UTF-8): most values, and a
// long list always, so a restore copies nothing here.
std::optional<std::string_view> PlainValue(std::string_view raw);

bool IsValidUtf8(std::string_view text);

// Appends the value text (UTF-8) escaped so that QSettings reads exactly it back.
void AppendValue(std::string& out, std::string_view text);

// What AppendValue writes around a text that needs no escape of its own (no
// control character, quote or backslash, and no byte order mark in front):
// the text itself stands between before and after.
struct ValueFrame {
    std::string_view before;
    std::string_view after;
};
// Finds the frame of a text handed over in pieces, in order.
class ValueFramer {
  public:
    void add(std::string_view piece);
    // Nothing for a text that needs escapes.
    std::optional<ValueFrame> frame() const;

  private:
    bool escapes_ = false;
    bool separators_ = false;
    std::string head_;  // the first three bytes: a leading "@", space or byte order mark
    char last_ = '\0';
};

}  // namespace quillora::ini
