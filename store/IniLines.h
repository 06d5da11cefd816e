#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include <QString>

// The INI dialect QSettings reads and writes, at the level of lines: where
// each logical line of a file starts and ends, and which section and key it
// names. The store edits the settings file with it, one line at a time,
// instead of letting QSettings rewrite the whole shared file (which loses
// comments, 8-bit text and lines it cannot parse); every rule here mirrors
// the way QSettings reads the same bytes.
namespace quillora::ini {

// One key line of a file: its byte range (up to its line end, a trailing
// comment included) and the raw bytes of its value.
struct KeyLine {
    std::size_t start = 0;
    std::size_t end = 0;
    std::string key;  // the full key as QSettings names it, "Group/Key", UTF-8
    std::string_view value;
    bool valueEndsAtComment = false;  // an unquoted ";" cut the value short
    bool fromRoot = false;            // "Group/Key" before the first section
};

// Where the keys of one group live in a file.
struct GroupLines {
    std::vector<KeyLine> keys;  // in file order; of a key given twice the last one counts
    std::size_t appendAt = 0;   // where a new key of the group goes
    bool hasSection = false;    // false: a new key needs a "[Group]" header first
};

// Finds every key line of group (sections named group, and keys "group/..."
// before the first section) in the file's bytes.
GroupLines FindGroup(std::string_view file, std::string_view group);

// True when an unquoted ";" cut the value short: QSettings reads only what
// came before it (a comment after a complete quoted value is no cut).
bool CutShort(const KeyLine& line);

// The line that gives key its value, as QSettings chooses among several.
const KeyLine* FindKey(const GroupLines& group, std::string_view key);

// Appends the key escaped as QSettings writes keys ("Zip Codes" -> "Zip%20Codes").
void AppendKey(std::string& out, const QString& key);

}  // namespace quillora::ini
