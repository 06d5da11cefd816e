#include "store/SettingsStore.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <utility>

#include <QDir>
#include <QFileInfo>
#include <QSettings>

#include "engine/EngineError.h"
#include "store/IniLines.h"
#include "store/IniValues.h"
#include "core/StoredEntries.h"
#include "store/SettingsFile.h"
#include "store/StoredList.h"
#include "store/TextSource.h"

namespace quillora {

struct SettingsStore::Snapshot {
    explicit Snapshot(const QString& path) : file(path) {}
    SettingsFile file;
    std::string stamp;     // of the file the bytes came from; empty: not read yet
    bool settled = false;  // the stamp is sure to change with the file
    std::string bytes;     // the file's, but for the list's value once that was taken
    ini::GroupLines lines;  // views into bytes
    std::string decoded;    // the last list read that needed decoding
    std::string_view list;  // what readList gave last
    // Where the list's value stood in the file's bytes, [at, at + size),
    // before it was handed over to the list; it stood there in bytes too.
    struct Taken {
        std::size_t at = 0, size = 0;
    };
    std::optional<Taken> taken;
};

namespace {

const std::string kGroupName = SettingsStore::kGroup.toStdString();

// The values of one write, by key.
using Values = std::vector<std::pair<QString, const TextSource*>>;

// A list's rows are UTF-8 as the list keeps them; anything else becomes
// U+FFFD, as it always has on its way through QString.
std::string ValidUtf8(std::string text) {
    if (!ini::IsValidUtf8(text)) {
        text = QString::fromStdString(text).toStdString();
    }
    return text;
}

std::string SectionName() {
    std::string name;
    ini::AppendKey(name, SettingsStore::kGroup);
    return name;
}

// True when rest, the file's bytes without [at, at + size), has the very key
// lines of the whole file, the one that held those bytes left with an empty
// value: so it stands for the file for every other key.
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

// What a key's line gives QSettings, beside the text meant for it.
enum class Reading {
    Same,        // that very text
    Other,       // another text
    Unreadable,  // no text at all: a typed form, or cut short by an unquoted ";"
};

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

// True when the lines give the key that very text.
bool Holds(const ini::GroupLines& lines, const QString& key, const TextSource& text) {
    const ini::KeyLine* line = ini::FindKey(lines, key.toStdString());
    return line != nullptr && ReadingOf(*line, text) == Reading::Same;
}

// True when the file gives every key the value meant for it.
bool Gives(std::string_view file, const Values& values) {
    const ini::GroupLines lines = ini::FindGroup(file, kGroupName);
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
    const ini::GroupLines lines = ini::FindGroup(file, kGroupName);
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

}  // namespace

SettingsStore::SettingsStore() = default;
SettingsStore::~SettingsStore() = default;

QString SettingsStore::filePath() {
    // QSettings reads the file it is made for at once, so it is asked about
    // a name beside ours that holds nothing: the folder is the same.
    const QSettings beside(QSettings::NativeFormat, QSettings::UserScope,
                           kOrganisation + QStringLiteral(".folder"));
    return QFileInfo(beside.fileName()).dir().filePath(kOrganisation + QStringLiteral(".conf"));
}

const SettingsStore::Snapshot& SettingsStore::current() const {
    const QString path = filePath();
    if (!snapshot_ || snapshot_->file.path() != path) {
        snapshot_ = std::make_unique<Snapshot>(path);
        // What killed closes left is cleared once, at the first look.
        snapshot_->file.removeLeftovers();
    }
    Snapshot& snapshot = *snapshot_;
    bool settled = false;
    const std::string stamp = snapshot.file.stamp(&settled);
    if (stamp.empty() || stamp != snapshot.stamp) {
        snapshot.stamp.clear();
        snapshot.settled = settled;
        snapshot.lines = {};
        snapshot.list = {};
        snapshot.taken.reset();
        snapshot.bytes = snapshot.file.read().value_or(std::string());
        snapshot.lines = ini::FindGroup(snapshot.bytes, kGroupName);
        snapshot.stamp = stamp;
    }
    return snapshot;
}

void SettingsStore::needList() const {
    if (snapshot_ && snapshot_->taken) {
        snapshot_->stamp.clear();
    }
}

QString SettingsStore::read(const QString& key, const QString& defaultText) const {
    if (key == kListKey) {
        needList();
    }
    const Snapshot& snapshot = current();
    const ini::KeyLine* line = ini::FindKey(snapshot.lines, key.toStdString());
    if (line == nullptr) {
        return defaultText;
    }
    return QString::fromStdString(ini::ReadValue(line->value).text);
}

void SettingsStore::readList(std::string_view& list) const {
    needList();
    current();
    Snapshot& snapshot = *snapshot_;
    snapshot.list = {};
    const ini::KeyLine* line = ini::FindKey(snapshot.lines, kListKey.toStdString());
    if (line == nullptr) {
        list = {};
        return;
    }
    if (ini::CutShort(*line)) {
        throw SettingsFileError("Bad file format");
    }
    if (const std::optional<std::string_view> plain = ini::PlainValue(line->value)) {
        list = snapshot.list = *plain;
        return;
    }
    ini::Value value = ini::ReadValue(line->value);
    if (value.kind != ini::Value::Kind::Text) {
        throw SettingsFileError("Bad file format");
    }
    snapshot.decoded = std::move(value.text);
    list = snapshot.list = snapshot.decoded;
}

void SettingsStore::takeList(PieceSink& rows) {
    if (!snapshot_ || snapshot_->list.empty()) {
        return;
    }
    Snapshot& snapshot = *snapshot_;
    const std::string_view list = snapshot.list;
    if (list.data() == snapshot.decoded.data()) {
        rows.adoptPieces(snapshot.decoded, 0, list.size(), kStoredListSeparator);
        snapshot.decoded = {};
        snapshot.list = {};
        return;
    }
    // The file without the value stays for the other keys and the close: a
    // few lines, where the whole file would be as large as the list again.
    const auto at = static_cast<std::size_t>(list.data() - snapshot.bytes.data());
    std::string rest;
    rest.reserve(snapshot.bytes.size() - list.size());
    rest.append(snapshot.bytes, 0, at).append(snapshot.bytes, at + list.size());
    if (!SameLinesWithout(snapshot.lines, snapshot.bytes, ini::FindGroup(rest, kGroupName), rest,
                          at, list.size())) {
        SplitStoredList(list, rows);
        snapshot.list = {};
        return;
    }
    rows.adoptPieces(snapshot.bytes, at, list.size(), kStoredListSeparator);
    snapshot.list = {};
    snapshot.taken = Snapshot::Taken{at, list.size()};
    snapshot.bytes = std::move(rest);
    snapshot.lines = ini::FindGroup(snapshot.bytes, kGroupName);
}

bool SettingsStore::sameAsTaken(const TextSource& list, bool& valid) const {
    const Snapshot& snapshot = *snapshot_;
    std::optional<SettingsFile::Comparison> file;
    bool same = list.size() == snapshot.taken->size;
    if (same) {
        file.emplace(snapshot.file, snapshot.stamp, snapshot.taken->at);
    }
    list.eachPiece([&](std::string_view piece) {
        same = same && file->next(piece);
        // Bytes of the stored plain value are valid UTF-8 already.
        valid = valid && (same || ini::IsValidUtf8(piece));
    });
    const bool unchanged = file && file->unchanged();
    if (same && unchanged) {
        return true;
    }
    if (file && !unchanged) {
        // What matched was not the stored value: each piece is checked after all.
        valid = true;
        list.eachPiece([&](std::string_view piece) { valid = valid && ini::IsValidUtf8(piece); });
    }
    return false;
}

void SettingsStore::write(const std::vector<std::pair<QString, QString>>& values) {
    std::vector<std::string> texts;
    texts.reserve(values.size());
    std::vector<StringSource> sources;
    sources.reserve(values.size());
    Values pairs;
    for (const auto& [key, text] : values) {
        sources.emplace_back(texts.emplace_back(text.toStdString()));
        pairs.emplace_back(key, &sources.back());
    }
    writeTexts(pairs);
}

void SettingsStore::writeList(std::string_view text) {
    writeList(StringSource(text));
}

void SettingsStore::writeList(const TextSource& list) {
    // The usual close leaves the list as it was stored: that is seen before
    // anything else is gathered or locked, in the same pass over the list
    // that tells whether it is valid UTF-8 as it stands.
    if (current().taken) {
        bool valid = true;
        if (sameAsTaken(list, valid)) {
            return;
        }
        // The line the value was taken from is known to read otherwise: the
        // edit replaces it whole, so the bytes without the value still do.
        const std::string_view line =
            ini::FindKey(snapshot_->lines, kListKey.toStdString())->value;
        if (valid) {
            writeTexts({{kListKey, &list}}, line);
            return;
        }
        const std::string text = ValidUtf8(list.joined());
        const StringSource repaired(text);
        writeTexts({{kListKey, &repaired}}, line);
        return;
    }
    const ini::KeyLine* line = ini::FindKey(current().lines, kListKey.toStdString());
    const std::optional<std::string_view> plain =
        line != nullptr && !ini::CutShort(*line) ? ini::PlainValue(line->value) : std::nullopt;
    bool same = plain && plain->size() == list.size();
    std::string_view unmatched = plain.value_or(std::string_view());
    bool valid = true;
    list.eachPiece([&](std::string_view piece) {
        same = same && unmatched.substr(0, piece.size()) == piece;
        // Bytes of the stored plain value are valid UTF-8 already.
        valid = valid && (same || ini::IsValidUtf8(piece));
        unmatched.remove_prefix(std::min(piece.size(), unmatched.size()));
    });
    // A stored value that needs decoding is compared the long way.
    if (same || (line != nullptr && !plain && ReadingOf(*line, list) == Reading::Same)) {
        return;
    }
    if (valid) {
        // The edit need not compare the list with that same line once more.
        writeTexts({{kListKey, &list}}, plain && !list.empty() ? line->value : std::string_view());
        return;
    }
    const std::string text = ValidUtf8(list.joined());
    const StringSource repaired(text);
    writeTexts({{kListKey, &repaired}});
}

void SettingsStore::writeTexts(const Values& values, std::string_view otherValue) {
    current();  // the path, and the leftovers cleared
    Snapshot& snapshot = *snapshot_;
    // Read again at the next look: the file is edited as it is on disk now,
    // which is what the bytes already read are when its stamp has not moved.
    // They stay where they are until then either way: otherValue points into
    // them, and while they live no other bytes can come to stand in their
    // place.
    struct Forget {
        Snapshot& snapshot;
        ~Forget() {
            snapshot.stamp.clear();
            snapshot.lines = {};
            snapshot.list = {};
            snapshot.taken.reset();
            snapshot.bytes = {};
        }
    } forget{snapshot};
    // Without the list's value, the bytes stand for the file only to an edit
    // that replaces the list's line whole.
    const bool whole = !snapshot.taken || (values.size() == 1 && values.front().first == kListKey &&
                                           !otherValue.empty());
    SettingsFile::Known known;
    if (snapshot.settled && whole) {
        known = {snapshot.bytes, snapshot.stamp};
    }
    snapshot.file.replace([&](std::string_view file) { return Edited(file, values, otherValue); },
                          known);
}

}  // namespace quillora
