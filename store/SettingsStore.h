#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <QString>

namespace quillora {

class PieceSink;
class SettingsFile;
class TextSource;

// The per-user settings store: organisation "Tolvenrix" (its file), group
// "Quillora". Values are plain texts, as the program has always kept them,
// in the INI file QSettings keeps for the organisation, which QSettings
// reads back value for value. The file is shared with other programs: the
// store edits the lines of its own keys in place and leaves every other byte
// as it was, and writes nothing at all when none of its values changed.
class SettingsStore {
  public:
    static inline const QString kOrganisation = QStringLiteral("Tolvenrix");
    static inline const QString kGroup = QStringLiteral("Quillora");
    static inline const QString kListKey = QStringLiteral("Zip Codes");

    SettingsStore();
    ~SettingsStore();

    // The stored text, or defaultText when the key is absent; the empty text
    // for a value that is no text (QSettings' typed forms). Throws
    // SettingsFileError when the file cannot be read or is no regular file.
    QString read(const QString& key, const QString& defaultText) const;

    // Sets list to the stored list ("Zip Codes", UTF-8), valid until the
    // store is used again; empty when absent. A value that QSettings cannot
    // read as the list's text (a typed form, or an unquoted ";" that cuts it
    // short) throws "Bad file format", leaves list as it was, and stays on
    // disk as it is until a list of the user's own replaces it. (An out
    // parameter: GCC 12 can garble a string_view returned into a variable
    // of a failing step.)
    void readList(std::string_view& list) const;
    // Hands the list readList gave last over to rows, the store unused since.
    // A value that needed no decoding is packed in place in the bytes the
    // store read, which rows may keep: the store then holds the file without
    // it and tells an unchanged list at close from the file on disk, a block
    // at a time. The view readList gave is no longer valid. Throws with rows
    // and the store as they were.
    void takeList(PieceSink& rows);

    // Writes every pair together. Throws SettingsFileError when the store
    // refuses them (a read-only folder, a full disk, no regular file); the
    // file then still holds what it held before.
    void write(const std::vector<std::pair<QString, QString>>& values);
    void write(const QString& key, const QString& text) { write({{key, text}}); }
    // The list's text (UTF-8; anything else becomes U+FFFD) under "Zip Codes".
    // A source hands the text over piece by piece: the list goes to the disk
    // without being joined into one copy first. A source's pieces must each
    // end where a character does.
    void writeList(std::string_view text);
    void writeList(const TextSource& list);

    // Tolvenrix.conf in the user's settings folder (QSettings' own choice).
    static QString filePath();

  private:
    struct Snapshot;
    const Snapshot& current() const;
    // The snapshot read afresh at the next look when the list's value was
    // handed over, for a look that needs that value.
    void needList() const;
    // True when the file still holds the list as the value that was handed
    // over, compared on disk; valid tells whether the list is valid UTF-8 as
    // it stands.
    bool sameAsTaken(const TextSource& list, bool& valid) const;
    // otherValue: the raw value of the first key's line as the snapshot holds
    // it, when that line is known to read other than the first text.
    void writeTexts(const std::vector<std::pair<QString, const TextSource*>>& values,
                    std::string_view otherValue = {});

    mutable std::unique_ptr<Snapshot> snapshot_;
};

}  // namespace quillora
