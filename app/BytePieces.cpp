#include "app/BytePieces.h"

namespace quillora {

void BytePieces::add(std::string_view piece) {
    if (piece.empty()) {
        return;
    }
    views_.push_back(piece);
    size_ += piece.size();
}

void BytePieces::addOwned(std::string piece) {
    if (piece.empty()) {
        return;
    }
    add(owned_.emplace_back(std::move(piece)));
}

std::string BytePieces::joined() const {
    std::string all;
    all.reserve(size_);
    for (const std::string_view piece : views_) {
        all.append(piece);
    }
    return all;
}

bool BytePieces::operator==(std::string_view bytes) const {
    if (bytes.size() != size_) {
        return false;
    }
    for (const std::string_view piece : views_) {
        if (bytes.substr(0, piece.size()) != piece) {
            return false;
        }
        bytes.remove_prefix(piece.size());
    }
    return true;
}

}  // namespace quillora
