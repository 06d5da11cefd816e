#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/StoredEntries.h"

namespace quillora {

// Many entries packed in one buffer, as file loading gathers them before they
// join the list in one insertion: no allocation per entry. They are packed
// exactly as the list packs its own, so an empty list can take a batch's
// buffers over instead of copying them.
class EntryBatch : public PieceSink {
  public:
    void add(std::string_view text) {
        bytes_.append(text);
        pushEnd();
    }
    // As add, with ASCII letters upper-cased (hexadecimal entries are stored so).
    void addUpperCase(std::string_view text);
    // A stored list of millions is taken apart in one counting pass and one
    // copying pass. Throws (std::bad_alloc) with the batch as it was.
    void addPieces(std::string_view all, char separator) override;
    // An empty batch packs the pieces in place in bytes and keeps that
    // buffer: a restored list then touches no fresh memory for its text.
    void adoptPieces(std::string& bytes, std::size_t begin, std::size_t size,
                     char separator) override;
    // Room for that many more entries and bytes, so a batch of known size
    // (a restored list, a read block) is gathered without regrowing.
    void reserve(std::size_t entries, std::size_t bytes);
    // A batch moved from holds no offsets at all: it counts as empty.
    std::size_t size() const { return offsets_.empty() ? 0 : offsets_.size() - 1; }
    bool empty() const { return size() == 0; }
    std::size_t bytes() const { return bytes_.size(); }
    // Keeps the room, so a batch gathered again and again allocates once.
    void clear();

  private:
    friend class NumberListModel;
    void startOffsets();
    void pushEnd();

    std::string bytes_;
    // As the list's: entry i spans [offsets_[i], offsets_[i + 1]) in the low
    // 32 bits, the high ones counted by the carries at or before i.
    std::vector<std::uint32_t> offsets_{0};
    std::vector<std::size_t> carries_;
};

}  // namespace quillora
