#include "store/StoreEdits.h"

#include <algorithm>
#include <utility>

#include "store/IniValues.h"
#include "store/SettingsFile.h"
#include "store/SettingsStore.h"

namespace quillora::storeedits {

const std::string& GroupName() {
    static const std::string name = SettingsStore::kGroup.toStdString();
    return name;
}

namespace {

std::string SectionName() {
    std::string name;
    ini::AppendKey(name, SettingsStore::kGroup);
    return name;
}

// True when the lines give the key that very text.
bool Holds(const ini::GroupLines& lines, const QString& key, const TextSource& text) {
    const ini::KeyLine* line = ini::FindKey(lines, key.toStdString());
    return line != nullptr && ReadingOf(*line, text) == Reading::Same;
}

// True when the file gives every key the value meant for it.
bool Gives(std::string_view file, const Values& values) {
    const ini::GroupLines lines = ini::FindGroup(file, GroupName());
    return std::all_of(values.begin(), values.end(),
                       [&](const auto& value) { return Holds(lines, value.first, *value.second); });
}

// The value as QSettings escapes it: framed by what goes around it when it
// needs no escapes of its own, as the long list always does, else escaped
// into a copy.
void AddValue(BytePieces& out, const TextSource& value) {
    ini::ValueFramer framer;
    value.eachPiece([&](std::string_view piece) { framer.add(piece); });
    if (const std::optional<ini::ValueFrame> frame = framer.frame()) {
        out.add(frame->before);
        out.add(value);
        out.add(frame->after);
        return;
    }
    std::string escaped;
    ini::AppendValue(escaped, value.joined());
    out.addOwned(std::move(escaped));
}

// The file with each value's line replaced, or added to the group, as
// pieces: the unchanged parts of the file and a value that needs nothing but
// quotes are views, so a list of millions is not copied at all on its way to
// the disk; only a value with escapes is written out escaped. Nothing when
// every key already gives its value: a line is replaced only for a value it
// does not give, so any edit changes the bytes.
// otherValue: the raw value, by its place in memory, of a line already found
// to read other than the first value's text; that line is not read again.
std::optional<BytePieces> Spliced(std::string_view file, const Values& values, bool addInFront,
                                  bool& keysAdded, std::string_view otherValue) {
    const ini::GroupLines lines = ini::FindGroup(file, GroupName());
    struct Edit {
        std::size_t start, end;
        std::string head;                   // the key and "=", or a new line's start
        const TextSource* value = nullptr;  // escaped after head
        std::string tail;
    };
    std::vector<Edit> edits;
    std::vector<Edit> added;
    for (const auto& [key, text] : values) {
        const bool first = &key == &values.front().first;
        const ini::KeyLine* line = ini::FindKey(lines, key.toStdString());
        if (line == nullptr) {
            Edit edit{0, 0, {}, text, "\n"};
            ini::AppendKey(edit.head, key);
            edit.head += '=';
            added.push_back(std::move(edit));
            continue;
        }
        // Unchanged, or a value no one could read and nothing of the user's to put there.
        const bool knownOther = first && !otherValue.empty() &&
                                line->value.data() == otherValue.data() &&
                                line->value.size() == otherValue.size();
        const Reading now = knownOther ? Reading::Other : ReadingOf(*line, *text);
        if (now == Reading::Same || (now == Reading::Unreadable && text->empty())) {
            continue;
        }
        // The key keeps the spelling it has in the file.
        const auto equals = static_cast<std::size_t>(line->value.data() - file.data()) - 1;
        edits.push_back({line->start,
                         line->end,
                         std::string(file.substr(line->start, equals + 1 - line->start)),
                         text,
                         {}});
    }
    keysAdded = !added.empty();
    if (!added.empty() && addInFront) {
        // A group of its own before everything, and the keys that stood
        // before the first section back in theirs.
        const std::size_t insertAt = file.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
        added.front().head.insert(0, "[" + SectionName() + "]\n");
        added.back().tail += "\n[General]\n";
        // QSettings reads a key that starts the file, after the file's mark,
        // with a mark of its own in front as it stands, but drops such a mark
        // from a key further down: the line that moves down keeps its reading
        // with one more.
        if (insertAt == 3 && file.substr(3, 3) == "\xEF\xBB\xBF") {
            added.back().tail += "\xEF\xBB\xBF";
        }
        for (Edit& edit : added) {
            edit.start = edit.end = insertAt;
            edits.push_back(std::move(edit));
        }
    } else if (!added.empty()) {
        std::size_t insertAt = file.size();
        std::string before;
        if (lines.hasSection) {
            insertAt = lines.appendAt;
            if (insertAt > 0 && file[insertAt - 1] != '\n' && file[insertAt - 1] != '\r') {
                before = "\n";
            }
        } else {
            if (!file.empty()) {
                before = file.back() == '\n' || file.back() == '\r' ? "\n" : "\n\n";
            }
            before += "[" + SectionName() + "]\n";
        }
        added.front().head.insert(0, before);
        for (Edit& edit : added) {
            edit.start = edit.end = insertAt;
            edits.push_back(std::move(edit));
        }
    }
    if (edits.empty()) {
        return std::nullopt;
    }
    BytePieces out;
    std::stable_sort(edits.begin(), edits.end(),
                     [](const Edit& a, const Edit& b) { return a.start < b.start; });
    std::size_t at = 0;
    for (Edit& edit : edits) {
        out.add(file.substr(at, edit.start - at));
        out.addOwned(std::move(edit.head));
        if (edit.value != nullptr) {
            AddValue(out, *edit.value);
        }
        out.addOwned(std::move(edit.tail));
        at = edit.end;
    }
    out.add(file.substr(at));
    return out;
}

}  // namespace

bool SameLinesWithout(const ini::GroupLines& whole, std::string_view wholeBytes,
                      const ini::GroupLines& rest, std::string_view restBytes, std::size_t at,
                      std::size_t size) {
    const auto moved = [&](std::size_t place) { return place <= at ? place : place - size; };
    const auto offset = [](std::string_view value, std::string_view bytes) {
        return static_cast<std::size_t>(value.data() - bytes.data());
    };
    if (whole.keys.size() != rest.keys.size() || whole.hasSection != rest.hasSection ||
        moved(whole.appendAt) != rest.appendAt) {
        return false;
    }
    for (std::size_t i = 0; i < whole.keys.size(); ++i) {
        const ini::KeyLine& before = whole.keys[i];
        const ini::KeyLine& after = rest.keys[i];
        const std::size_t valueAt = offset(before.value, wholeBytes);
        const bool held = valueAt <= at && at + size <= valueAt + before.value.size();
        if (before.key != after.key || before.fromRoot != after.fromRoot ||
            before.valueEndsAtComment != after.valueEndsAtComment ||
            moved(before.start) != after.start || moved(before.end) != after.end ||
            moved(valueAt) != offset(after.value, restBytes) ||
            before.value.size() - (held ? size : 0) != after.value.size()) {
            return false;
        }
    }
    return true;
}

Reading ReadingOf(const ini::KeyLine& line, const TextSource& text) {
    if (ini::CutShort(line)) {
        return Reading::Unreadable;
    }
    if (const std::optional<std::string_view> plain = ini::PlainValue(line.value)) {
        return text.equals(*plain) ? Reading::Same : Reading::Other;
    }
    const ini::Value value = ini::ReadValue(line.value);
    if (value.kind != ini::Value::Kind::Text) {
        return Reading::Unreadable;
    }
    return text.equals(value.text) ? Reading::Same : Reading::Other;
}

// The file with the values in it. New keys go at the end of the group, or
// of the file; when what stands before that place runs on over it (a quote
// or an escaped line end left open at the end of the file), they go in front.
// A value the edited file would still not give is refused; nothing when
// the file gives every value already.
std::optional<BytePieces> Edited(std::string_view file, const Values& values,
                                 std::string_view otherValue) {
    bool keysAdded = false;
    std::optional<BytePieces> out = Spliced(file, values, false, keysAdded, otherValue);
    // Only an added line can be run over; a replaced one spans its whole
    // line as the file's reader saw it.
    if (keysAdded && !Gives(out->joined(), values)) {
        out = Spliced(file, values, true, keysAdded, otherValue);
        if (!Gives(out->joined(), values)) {
            throw SettingsFileError("Bad file format");
        }
    }
    return out;
}

}  // namespace quillora::storeedits
