#include "store/StoredList.h"

#include <string_view>

namespace quillora {

namespace {

// Big enough that a pass costs few calls, small enough to stay in the cache.
constexpr std::size_t kPieceBytes = std::size_t{1} << 18;

}  // namespace

std::size_t StoredListSource::size() const {
    const int count = list_.count();
    return list_.textBytes() + (count > 0 ? static_cast<std::size_t>(count) - 1 : 0);
}

void StoredListSource::eachPiece(const std::function<void(std::string_view)>& take) const {
    buffer_.reserve(kPieceBytes);
    for (int row = 0; row < list_.count();) {
        buffer_.clear();
        row = list_.appendJoined(buffer_, row, kStoredListSeparator, kPieceBytes);
        if (!buffer_.empty()) {
            take(buffer_);
        }
    }
}

QString StoredListText(const JoinableEntries& list) {
    return QString::fromStdString(StoredListSource(list).joined());
}

void SplitStoredList(const QString& stored, PieceSink& rows) {
    const QByteArray text = stored.toUtf8();
    SplitStoredList(std::string_view(text.constData(), static_cast<std::size_t>(text.size())),
                    rows);
}

void SplitStoredList(std::string_view all, PieceSink& rows) {
    rows.addPieces(all, kStoredListSeparator);
}

}  // namespace quillora
