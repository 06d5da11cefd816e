#include "store/SettingsStore.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <utility>

#include <QDir>
#include <QFileInfo>
#include <QSettings>

#include "core/StoredEntries.h"
#include "engine/EngineError.h"
#include "store/IniLines.h"
#include "store/IniValues.h"
#include "store/SettingsFile.h"
#include "store/StoreEdits.h"
#include "store/StoredList.h"
#include "store/TextSource.h"

namespace quillora {

using namespace storeedits;

struct SettingsStore::Snapshot {
    explicit Snapshot(const QString& path) : file(path) {}
    SettingsFile file;
    std::string stamp;      // of the file the bytes came from; empty: not read yet
    bool settled = false;   // the stamp is sure to change with the file
    std::string bytes;      // the file's, but for the list's value once that was taken
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

// A list's rows are UTF-8 as the list keeps them; anything else becomes
// U+FFFD, as it always has on its way through QString.
std::string ValidUtf8(std::string text) {
    if (!ini::IsValidUtf8(text)) {
        text = QString::fromStdString(text).toStdString();
    }
    return text;
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
        snapshot.lines = ini::FindGroup(snapshot.bytes, GroupName());
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
    // Room beyond a short string's own, so that the lines' views stay true
    // when it moves into the snapshot; everything that can throw comes first.
    const auto at = static_cast<std::size_t>(list.data() - snapshot.bytes.data());
    std::string rest;
    rest.reserve(std::max<std::size_t>(snapshot.bytes.size() - list.size(), 64));
    rest.append(snapshot.bytes, 0, at).append(snapshot.bytes, at + list.size());
    ini::GroupLines lines = ini::FindGroup(rest, GroupName());
    if (!SameLinesWithout(snapshot.lines, snapshot.bytes, lines, rest, at, list.size())) {
        SplitStoredList(list, rows);
        snapshot.list = {};
        return;
    }
    rows.adoptPieces(snapshot.bytes, at, list.size(), kStoredListSeparator);
    snapshot.list = {};
    snapshot.taken = Snapshot::Taken{at, list.size()};
    snapshot.bytes = std::move(rest);
    snapshot.lines = std::move(lines);
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
        const std::string_view line = ini::FindKey(snapshot_->lines, kListKey.toStdString())->value;
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
