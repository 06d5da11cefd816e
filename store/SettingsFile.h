#pragma once

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include <QString>

#include "store/BytePieces.h"

namespace quillora {

// The shared settings file on disk (Tolvenrix.conf), read and replaced
// safely. It is opened only when it is a regular file, or absent: a pipe, a
// device or a folder there, or a link to one, is refused at once, so a read
// never blocks and nothing is ever renamed over such a thing. A symbolic
// link to a regular file is followed: the file it names is replaced.
class SettingsFile {
  public:
    explicit SettingsFile(QString path) : path_(std::move(path)) {}

    const QString& path() const { return path_; }

    // The file's bytes; nothing when it does not exist. Throws with the
    // report's text when it cannot be read or is no regular file.
    std::optional<std::string> read() const;

    // The file's bytes from an offset on, read a block at a time and compared
    // with a text handed over in pieces, for as long as the file is the one
    // of a stamp: an unchanged list of millions is told without the file
    // being held whole.
    class Comparison {
      public:
        // Nothing matches when the file is gone or has another stamp.
        Comparison(const SettingsFile& file, const std::string& stamp, std::size_t offset);
        Comparison(const Comparison&) = delete;
        Comparison& operator=(const Comparison&) = delete;
        ~Comparison();
        // True while the file's next bytes are each piece in turn; false from
        // the first difference on.
        bool next(std::string_view piece);
        // True when the file still has the stamp: the bytes compared were its own.
        bool unchanged() const;

      private:
        int fd_ = -1;
        bool matches_ = true;
        std::string stamp_;
        long long offset_;
        std::string block_;
    };

    // Replaces the file's bytes with edit(current bytes, empty when absent)
    // under the lock that QSettings takes for the same file. When edit gives
    // nothing (the file would stay byte for byte as it is), nothing is
    // written at all; whatever it gives is taken to differ from the current
    // bytes. The new bytes go to a scratch file beside the real one, are
    // synced and read back, and only then renamed over it; the earlier file
    // is kept as a hard link until the new one stands. Throws when anything
    // of it fails, and the file then holds exactly what it held before.
    // Given known bytes and the file still has their stamp under the lock,
    // they stand for it instead of being read again (a list of millions is
    // then not read twice in one session).
    struct Known {
        std::string_view bytes;  // read of the file earlier
        std::string stamp;       // its settled stamp() at that read; empty: nothing known
    };
    void replace(const std::function<std::optional<BytePieces>(std::string_view)>& edit,
                 const Known& known = {});

    // Removes the scratch files and the lock that closes killed part-way
    // left beside the file (only those whose process is gone).
    void removeLeftovers() const;

    // A change-detecting stamp of the file as it is now (device, inode,
    // size, modification time); empty when it is absent or unreadable.
    // settled, when given, tells whether the last change lies far enough in
    // the past, beyond the coarseness of file times, that any later change
    // is sure to show as another stamp.
    std::string stamp(bool* settled = nullptr) const;

  private:
    QString path_;
};

// Thrown for every failure of the settings file, with the text the report shows.
class SettingsFileError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

}  // namespace quillora
