#include "store/TextSource.h"

namespace quillora {

std::string TextSource::joined() const {
    std::string all;
    all.reserve(size());
    eachPiece([&](std::string_view piece) { all.append(piece); });
    return all;
}

bool TextSource::equals(std::string_view text) const {
    if (text.size() != size()) {
        return false;
    }
    bool same = true;
    eachPiece([&](std::string_view piece) {
        same = same && text.substr(0, piece.size()) == piece;
        text.remove_prefix(piece.size());
    });
    return same;
}

void StringSource::eachPiece(const std::function<void(std::string_view)>& take) const {
    if (!text_.empty()) {
        take(text_);
    }
}

}  // namespace quillora
