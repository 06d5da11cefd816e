#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace quillora {

// A text handed out in order as pieces, as often as asked. The stored list
// goes to the disk straight from the list's own buffer this way: joined into
// one copy of hundreds of megabytes first, it would cost memory the system
// has to hand out afresh, which takes longer than all the rest of a close.
class TextSource {
  public:
    virtual ~TextSource() = default;

    virtual std::size_t size() const = 0;
    // Calls take with consecutive pieces, none empty, that together are the text.
    virtual void eachPiece(const std::function<void(std::string_view)>& take) const = 0;

    bool empty() const { return size() == 0; }
    // The whole text in one string, for the rare use that needs it so.
    std::string joined() const;
    bool equals(std::string_view text) const;
};

// A text that is one piece already.
class StringSource : public TextSource {
  public:
    explicit StringSource(std::string_view text) : text_(text) {}
    std::size_t size() const override { return text_.size(); }
    void eachPiece(const std::function<void(std::string_view)>& take) const override;

  private:
    std::string_view text_;
};

}  // namespace quillora
