#include "input/EntryBatch.h"

#include <algorithm>
#include <cstring>

#include "core/ByteScan.h"
#include "input/PackedEntries.h"

namespace quillora {

using packed::CountCarries;
using packed::Grow;
using packed::ReserveExactly;

void EntryBatch::startOffsets() {
    if (offsets_.empty()) {
        offsets_.push_back(0);  // a batch moved from starts again
    }
}

void EntryBatch::pushEnd() {
    startOffsets();
    const std::uint64_t end = bytes_.size();
    CountCarries(carries_, end, offsets_.size());
    offsets_.push_back(static_cast<std::uint32_t>(end));
}

void EntryBatch::addUpperCase(std::string_view text) {
    const std::size_t start = bytes_.size();
    bytes_.append(text);
    bytescan::UpperCaseAscii(bytes_.data() + start, text.size());
    pushEnd();
}

void EntryBatch::addPieces(std::string_view all, char separator) {
    startOffsets();
    const std::size_t separators = bytescan::Count(all, separator);
    const std::size_t textBytes = all.size() - separators;
    const std::size_t firstByte = bytes_.size();
    const std::size_t firstEnd = offsets_.size();
    // Sized once (a block more, for whole-block copies) and written in place.
    reserve(separators + 1, textBytes + bytescan::kBlock);
    carries_.reserve(((firstByte + all.size()) >> 32) + 1);
    bytes_.resize(firstByte + textBytes + bytescan::kBlock);
    offsets_.resize(firstEnd + separators + 1);
    // Through local pointers: the bytes written could otherwise be the
    // members themselves, as far as the compiler can tell.
    char* const text = bytes_.data();
    std::uint32_t* const ends = offsets_.data();
    std::size_t written = firstByte;
    std::size_t end = firstEnd;
    std::size_t start = 0;
    const auto piece = [&](std::size_t stop) {
        const std::size_t length = stop - start;
        // A short piece goes over as one whole block, its tail overwritten by the next piece.
        if (length <= bytescan::kBlock && all.size() - start >= bytescan::kBlock) {
            std::memcpy(text + written, all.data() + start, bytescan::kBlock);
        } else {
            std::memcpy(text + written, all.data() + start, length);
        }
        written += length;
        CountCarries(carries_, written, end);
        ends[end++] = static_cast<std::uint32_t>(written);
        start = stop + 1;
    };
    bytescan::ForEach(all, separator, piece);
    piece(all.size());
    bytes_.resize(written);
}

void EntryBatch::adoptPieces(std::string& bytes, std::size_t begin, std::size_t size,
                             char separator) {
    if (!empty() || !bytes_.empty() || begin > bytes.size() || size > bytes.size() - begin) {
        addPieces(std::string_view(bytes).substr(begin, size), separator);
        return;
    }
    const std::string_view all(bytes.data() + begin, size);
    const std::size_t separators = bytescan::Count(all, separator);
    startOffsets();
    // Everything that can throw comes before the first byte moves.
    offsets_.reserve(separators + 2);
    carries_.reserve((size >> 32) + 1);
    offsets_.resize(separators + 2);
    char* const text = bytes.data();
    std::uint32_t* const ends = offsets_.data();
    std::size_t written = 0;
    std::size_t end = 1;
    std::size_t start = 0;
    // Each piece moves down over what is already taken; the scan has gone
    // past every byte written, and no write reaches a byte still to be read.
    const auto piece = [&](std::size_t stop) {
        const std::size_t length = stop - start;
        const std::size_t from = begin + start;
        if (length <= bytescan::kBlock && size - start >= bytescan::kBlock &&
            written + bytescan::kBlock <= begin + stop) {
            char block[bytescan::kBlock];
            std::memcpy(block, text + from, bytescan::kBlock);
            std::memcpy(text + written, block, bytescan::kBlock);
        } else {
            std::memmove(text + written, text + from, length);
        }
        written += length;
        CountCarries(carries_, written, end);
        ends[end++] = static_cast<std::uint32_t>(written);
        start = stop + 1;
    };
    bytescan::ForEach(all, separator, piece);
    piece(size);
    bytes.resize(written);
    bytes_.swap(bytes);
    bytes.clear();
}

void EntryBatch::reserve(std::size_t entries, std::size_t bytes) {
    offsets_.reserve(std::max<std::size_t>(offsets_.size(), 1) + entries);
    bytes_.reserve(bytes_.size() + bytes);
}

void EntryBatch::clear() {
    bytes_.clear();
    offsets_.assign(1, 0);
    carries_.clear();
}

}  // namespace quillora
