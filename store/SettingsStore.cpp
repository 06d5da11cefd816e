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
#include "store/SettingsFile.h"
#include "store/TextSource.h"

namespace quillora {

struct SettingsStore::Snapshot {
    explicit Snapshot(const QString& path) : file(path) {}
    SettingsFile file;
    std::string stamp;     // of the file the bytes came from; empty: not read yet
    bool settled = false;  // the stamp is sure to change with the file
    QByteArray bytes;
    ini::GroupLines lines;  // views into bytes
    std::string decoded;    // the last list read that needed decoding
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
        snapshot.bytes = snapshot.file.read().value_or(QByteArray());
        snapshot.lines =
            ini::FindGroup(std::string_view(snapshot.bytes.constData(),
                                            static_cast<std::size_t>(snapshot.bytes.size())),
                           kGroupName);
        snapshot.stamp = stamp;
    }
    return snapshot;
}

QString SettingsStore::read(const QString& key, const QString& defaultText) const {
    const Snapshot& snapshot = current();
    const ini::KeyLine* line = ini::FindKey(snapshot.lines, key.toStdString());
    if (line == nullptr) {
        return defaultText;
    }
    return QString::fromStdString(ini::ReadValue(line->value).text);
}

void SettingsStore::readList(std::string_view& list) const {
    current();
    Snapshot& snapshot = *snapshot_;
    const ini::KeyLine* line = ini::FindKey(snapshot.lines, kListKey.toStdString());
    if (line == nullptr) {
        list = {};
        return;
    }
    if (ini::CutShort(*line)) {
        throw SettingsFileError("Bad file format");
    }
    if (const std::optional<std::string_view> plain = ini::PlainValue(line->value)) {
        list = *plain;
        return;
    }
    ini::Value value = ini::ReadValue(line->value);
    if (value.kind != ini::Value::Kind::Text) {
        throw SettingsFileError("Bad file format");
    }
    snapshot.decoded = std::move(value.text);
    list = snapshot.decoded;
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
    // They are held here either way: otherValue points into them, and while
    // they live no other bytes can come to stand in their place.
    const QByteArray bytes = std::exchange(snapshot.bytes, QByteArray());
    SettingsFile::Known known;
    if (snapshot.settled) {
        known = {std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
                 std::move(snapshot.stamp)};
    }
    snapshot.stamp.clear();
    snapshot.lines = {};
    snapshot.file.replace([&](std::string_view file) { return Edited(file, values, otherValue); },
                          known);
}

}  // namespace quillora
