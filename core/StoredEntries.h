#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// What the settings store asks of the number list, so that the store joins
// and splits a list of millions without knowing the list's model: the list
// hands its entries out joined, in parts, and takes a stored value's pieces
// in one go.
namespace quillora {

class JoinableEntries {
  public:
    virtual int count() const = 0;
    // The bytes of all entries' texts together, separators not counted.
    virtual std::size_t textBytes() const = 0;
    // Appends the entries from row first on to out, a separator before each
    // but row 0, while out stays within budget bytes (one entry at least,
    // however long); returns the row after the last one appended.
    virtual int appendJoined(std::string& out, int first, char separator,
                             std::size_t budget) const = 0;

  protected:
    ~JoinableEntries() = default;
};

class PieceSink {
  public:
    // Every piece of all between separators as one entry, empty pieces
    // included (the empty text is one empty piece). Throws with the sink as
    // it was.
    virtual void addPieces(std::string_view all, char separator) = 0;
    // The same for the pieces of bytes[begin, begin + size), where bytes is
    // a buffer the caller is done with: a sink may pack the pieces in place
    // and keep the buffer instead of copying them into fresh memory. bytes
    // holds nothing of use after a return; after a throw it is as it was.
    virtual void adoptPieces(std::string& bytes, std::size_t begin, std::size_t size,
                             char separator) {
        addPieces(std::string_view(bytes).substr(begin, size), separator);
    }

  protected:
    ~PieceSink() = default;
};

}  // namespace quillora
