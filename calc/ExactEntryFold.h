#pragma once

#include <cstdint>
#include <string_view>

#include "calc/ExactFold.h"
#include "calc/ListFold.h"

// The exact fold beside a run's doubles: each entry's text, as the doubles
// read it, read exactly and folded. It never fails: an entry without an exact
// value (one the run reports itself) is left out here too.
namespace quillora {

class ExactEntryFold : public EntryTextFold {
  public:
    void seed(std::string_view entry, Base base) override {
        const std::optional<ExactNumber> first = ReadExact(entry, base);
        fold_ = first ? ExactFold(*first) : ExactFold();
    }
    void fold(std::string_view entry, Base base) override {
        if (const std::optional<ExactNumber> x = ReadExact(entry, base)) {
            fold_.fold(*x);
        }
    }
    // An entry read already as the whole number its digits make.
    void foldWord(std::uint64_t word) { fold_.foldWord(word); }
    // A stretch of entries read already as words (ExactFold::Words).
    ExactFold::Words words() { return ExactFold::Words(fold_); }
    ExactResults results() const { return fold_.results(); }

  private:
    ExactFold fold_;
};

}  // namespace quillora
