#include "app/StoredList.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace quillora {

QString StoredListText(const NumberListModel& list) {
    return QString::fromStdString(list.joined(';'));
}

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
        row = list_.appendJoined(buffer_, row, ';', kPieceBytes);
        if (!buffer_.empty()) {
            take(buffer_);
        }
    }
}

EntryBatch SplitStoredList(const QString& stored) {
    const QByteArray text = stored.toUtf8();
    return SplitStoredList(
        std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
}

namespace {

// The ";" of eight bytes at once, as the high bit of each matching byte: a
// list of millions is split in one pass of word-sized steps, not a search
// per piece.
std::uint64_t SeparatorBits(std::uint64_t word) {
    constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7FULL;
    const std::uint64_t t = word ^ 0x3B3B3B3B3B3B3B3BULL;  // ";" in every byte
    return ~(((t & kLow7) + kLow7) | t | kLow7);
}

template <class OnSeparator>
void ForEachSeparator(std::string_view all, OnSeparator&& onSeparator) {
    std::size_t at = 0;
    for (; all.size() - at >= 8; at += 8) {
        std::uint64_t word;
        std::memcpy(&word, all.data() + at, 8);
        for (std::uint64_t bits = SeparatorBits(word); bits != 0; bits &= bits - 1) {
            onSeparator(at + static_cast<std::size_t>(std::countr_zero(bits)) / 8);
        }
    }
    for (; at < all.size(); ++at) {
        if (all[at] == ';') {
            onSeparator(at);
        }
    }
}

}  // namespace

EntryBatch SplitStoredList(std::string_view all) {
    std::size_t separators = 0;
    ForEachSeparator(all, [&](std::size_t) { ++separators; });
    EntryBatch pieces;
    pieces.reserve(separators + 1, all.size() - separators);
    std::size_t start = 0;
    ForEachSeparator(all, [&](std::size_t end) {
        pieces.add(all.substr(start, end - start));
        start = end + 1;
    });
    pieces.add(all.substr(start));
    return pieces;
}

}  // namespace quillora
