#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <QString>

#include "store/BytePieces.h"
#include "store/IniLines.h"
#include "store/TextSource.h"

// The settings file with the store's values in it, worked out as pieces of
// the bytes read: which line gives a key which text, and the lines replaced
// or added so that QSettings reads each value back and every other byte of
// the shared file stays.
namespace quillora::storeedits {

// The store's group, as the file's sections name it.
const std::string& GroupName();

// The values of one write, by key.
using Values = std::vector<std::pair<QString, const TextSource*>>;

// What a key's line gives QSettings, beside the text meant for it.
enum class Reading {
    Same,        // that very text
    Other,       // another text
    Unreadable,  // no text at all: a typed form, or cut short by an unquoted ";"
};
Reading ReadingOf(const ini::KeyLine& line, const TextSource& text);

// The file with each value's line replaced, or added to the group, as
// pieces: the unchanged parts of the file and a value that needs nothing but
// quotes are views, so a list of millions is not copied on its way to the
// disk. Nothing when the file gives every value already; a value the edited
// file would still not give is refused (SettingsFileError). otherValue: the
// raw value, by its place in memory, of a line already found to read other
// than the first value's text; that line is not read again.
std::optional<BytePieces> Edited(std::string_view file, const Values& values,
                                 std::string_view otherValue);

// True when rest, the file's bytes without [at, at + size), has the very key
// lines of the whole file, the one that held those bytes left with an empty
// value: so it stands for the file for every other key.
bool SameLinesWithout(const ini::GroupLines& whole, std::string_view wholeBytes,
                      const ini::GroupLines& rest, std::string_view restBytes, std::size_t at,
                      std::size_t size);

}  // namespace quillora::storeedits
