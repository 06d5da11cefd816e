#include "store/BytePieces.h"

namespace quillora {

void BytePieces::add(std::string_view piece) {
    if (piece.empty()) {
        return;
    }
    pieces_.emplace_back(piece);
    size_ += piece.size();
}

void BytePieces::add(const TextSource& source) {
    if (source.empty()) {
        return;
    }
    pieces_.emplace_back(&source);
    size_ += source.size();
}

void BytePieces::addOwned(std::string piece) {
    if (piece.empty()) {
        return;
    }
    add(std::string_view(owned_.emplace_back(std::move(piece))));
}

void BytePieces::eachPiece(const std::function<void(std::string_view)>& take) const {
    for (const auto& piece : pieces_) {
        if (const auto* view = std::get_if<std::string_view>(&piece)) {
            take(*view);
        } else {
            std::get<const TextSource*>(piece)->eachPiece(take);
        }
    }
}

}  // namespace quillora
