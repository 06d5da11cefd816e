#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "store/TextSource.h"

namespace quillora {

// A file's new bytes as a row of pieces, most of them views into text that
// lives elsewhere (the file as it was, the list's own buffer), so that a file
// of hundreds of megabytes is written and checked without first being copied
// together.
class BytePieces : public TextSource {
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
    void add(const TextSource& source);
    // Kept here.
    void addOwned(std::string piece);

    std::size_t size() const override { return size_; }
    void eachPiece(const std::function<void(std::string_view)>& take) const override;

  private:
    std::deque<std::string> owned_;  // a deque keeps each text where it is
    std::vector<std::variant<std::string_view, const TextSource*>> pieces_;
    std::size_t size_ = 0;
};

}  // namespace quillora
