#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace quillora {

// A file's new bytes as a row of pieces, most of them views into text that
// lives elsewhere (the file as it was, the list's own text), so that a file
// of hundreds of megabytes is written and checked without first being copied
// together into memory the system would have to hand out afresh.
class BytePieces {
  public:
    BytePieces() = default;
    // Moved, the owned texts stay where they are and the views stay true; a
    // copy's views would still show the original's.
    BytePieces(BytePieces&&) = default;
    BytePieces& operator=(BytePieces&&) = default;
    BytePieces(const BytePieces&) = delete;
    BytePieces& operator=(const BytePieces&) = delete;

    // A view: what it shows must outlive these pieces.
    void add(std::string_view piece);
    // Kept here.
    void addOwned(std::string piece);

    std::size_t size() const { return size_; }
    const std::vector<std::string_view>& views() const { return views_; }
    // All pieces in one text, for the rare check that needs it whole.
    std::string joined() const;
    bool operator==(std::string_view bytes) const;

  private:
    std::deque<std::string> owned_;  // a deque keeps each text where it is
    std::vector<std::string_view> views_;
    std::size_t size_ = 0;
};

}  // namespace quillora
