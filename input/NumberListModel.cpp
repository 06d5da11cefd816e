#include "input/NumberListModel.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <limits>
#include <stdexcept>

#include "core/ByteScan.h"
#include "input/PackedEntries.h"

namespace quillora {

namespace {

using packed::CountCarries;
using packed::Grow;
using packed::ReserveExactly;

constexpr qsizetype kLongestShown = 4096;

}  // namespace

NumberListModel::NumberListModel(QObject* parent) : QAbstractListModel(parent) {}

std::uint64_t NumberListModel::highPartAt(std::size_t i) const {
    const auto high = static_cast<std::uint64_t>(
        std::upper_bound(carries_.begin(), carries_.end(), i) - carries_.begin());
    return high << 32;
}

void NumberListModel::pushOffset(std::uint64_t offset) {
    CountCarries(carries_, offset, offsets_.size());
    offsets_.push_back(static_cast<std::uint32_t>(offset));
}

std::string_view NumberListModel::entry(int row) const {
    const auto begin = offsetAt(static_cast<std::size_t>(row));
    const auto end = offsetAt(static_cast<std::size_t>(row) + 1);
    return std::string_view(bytes_).substr(begin, end - begin);
}

QString NumberListModel::text(int row) const {
    const std::string_view e = entry(row);
    return QString::fromUtf8(e.data(), static_cast<qsizetype>(e.size()));
}

void NumberListModel::reserveFor(std::size_t entries, std::size_t bytes) {
    // Rows are counted in int by the views.
    if (entries > static_cast<std::size_t>(std::numeric_limits<int>::max() - count())) {
        throw std::length_error("Out of memory");
    }
    Grow(offsets_, offsets_.size() + entries);
    Grow(bytes_, bytes_.size() + bytes);
}

void NumberListModel::append(std::string_view text) {
    // An entry of this very list would dangle once the buffer grows.
    const std::less<const char*> before;
    if (!text.empty() && !before(text.data(), bytes_.data()) &&
        before(text.data(), bytes_.data() + bytes_.size())) {
        append(std::string_view(std::string(text)));
        return;
    }
    reserveFor(1, text.size());
    const int row = count();
    beginInsertRows({}, row, row);
    bytes_.append(text);
    pushOffset(bytes_.size());
    endInsertRows();
}

void NumberListModel::append(const QString& text) {
    append(std::string_view(text.toStdString()));
}

void NumberListModel::appendMany(const std::vector<std::string>& texts) {
    if (texts.empty()) {
        return;
    }
    std::size_t total = 0;
    for (const std::string& t : texts) {
        total += t.size();
    }
    reserveFor(texts.size(), total);
    const int first = count();
    beginInsertRows({}, first, first + static_cast<int>(texts.size()) - 1);
    for (const std::string& t : texts) {
        bytes_.append(t);
        pushOffset(bytes_.size());
    }
    endInsertRows();
}

void NumberListModel::appendMany(const EntryBatch& batch) {
    if (batch.empty()) {
        return;
    }
    reserveFor(batch.size(), batch.bytes_.size());
    const int first = count();
    beginInsertRows({}, first, first + static_cast<int>(batch.size()) - 1);
    const std::uint64_t base = bytes_.size();
    bytes_.append(batch.bytes_);
    if (batch.carries_.empty() && (base >> 32) == (bytes_.size() >> 32)) {
        // No offset passes another 2^32: the low halves are shifted alike, in one plain loop.
        const auto low = static_cast<std::uint32_t>(base);
        const std::size_t from = offsets_.size();
        offsets_.resize(from + batch.size());
        std::uint32_t* out = offsets_.data() + from;
        const std::uint32_t* in = batch.offsets_.data() + 1;
        for (std::size_t i = 0; i < batch.size(); ++i) {
            out[i] = low + in[i];
        }
        endInsertRows();
        return;
    }
    auto carry = batch.carries_.begin();
    std::uint64_t high = 0;
    for (std::size_t i = 1; i < batch.offsets_.size(); ++i) {
        while (carry != batch.carries_.end() && *carry <= i) {
            high += std::uint64_t{1} << 32;
            ++carry;
        }
        pushOffset(base + (high | batch.offsets_[i]));
    }
    endInsertRows();
}

void NumberListModel::appendMany(EntryBatch&& batch) {
    if (batch.empty()) {
        return;
    }
    if (!isEmpty()) {
        appendMany(static_cast<const EntryBatch&>(batch));
        batch.clear();
        return;
    }
    if (batch.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        throw std::length_error("Out of memory");
    }
    // The list is empty, so its offsets are the one 0 a batch starts with too.
    beginInsertRows({}, 0, static_cast<int>(batch.size()) - 1);
    bytes_.swap(batch.bytes_);
    offsets_.swap(batch.offsets_);
    carries_.swap(batch.carries_);
    endInsertRows();
    batch.clear();
}

void NumberListModel::reserve(std::size_t entries, std::size_t bytes) {
    // A thirty-second to spare, so that a forecast asked for again as it is
    // refined, batch by batch, moves the buffers once rather than each time.
    const std::size_t offsets = offsets_.size() + entries;
    if (offsets > offsets_.capacity()) {
        ReserveExactly(offsets_, offsets + offsets / 32);
    }
    const std::size_t total = bytes_.size() + bytes;
    if (total > bytes_.capacity()) {
        ReserveExactly(bytes_, total + total / 32);
    }
}

void NumberListModel::removeAt(int row) {
    if (row < 0 || row >= count()) {
        return;
    }
    beginRemoveRows({}, row, row);
    const auto r = static_cast<std::size_t>(row);
    const std::uint64_t begin = offsetAt(r);
    const std::uint64_t length = offsetAt(r + 1) - begin;
    bytes_.erase(begin, length);
    // The offsets after the entry move down one place and by its length; the
    // carries before it stay, the later ones are found again.
    const auto kept = std::upper_bound(carries_.begin(), carries_.end(), r);
    std::size_t next = static_cast<std::size_t>(kept - carries_.begin());
    std::uint64_t high = next;
    std::vector<std::size_t> carries(carries_.begin(), kept);
    for (std::size_t i = r + 1; i < offsets_.size(); ++i) {
        while (next < carries_.size() && carries_[next] <= i) {
            ++high;
            ++next;
        }
        if (i == r + 1) {
            continue;  // the end of the entry that goes
        }
        const std::uint64_t moved = ((high << 32) | offsets_[i]) - length;
        CountCarries(carries, moved, i - 1);
        offsets_[i - 1] = static_cast<std::uint32_t>(moved);
    }
    offsets_.pop_back();
    carries_ = std::move(carries);
    endRemoveRows();
}

void NumberListModel::removeEach(std::vector<int> rows) {
    if (!std::is_sorted(rows.begin(), rows.end())) {
        std::sort(rows.begin(), rows.end());
    }
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    std::erase_if(rows, [this](int row) { return row < 0 || row >= count(); });
    if (rows.empty()) {
        return;
    }
    beginResetModel();
    std::size_t kept = 0;     // entries kept so far
    std::size_t written = 0;  // their bytes, compacted at the front of the buffer
    // The kept offsets are written over the old ones from the front, never
    // ahead of what is still to be read; their carries are counted afresh,
    // since a list beyond 4 GiB keeps the high bits there.
    std::vector<std::size_t> carries;
    auto gone = rows.begin();
    for (std::size_t r = 0; r + 1 < offsets_.size(); ++r) {
        if (gone != rows.end() && static_cast<std::size_t>(*gone) == r) {
            ++gone;
            continue;
        }
        const std::uint64_t begin = offsetAt(r);
        const std::uint64_t length = offsetAt(r + 1) - begin;
        if (written != begin) {
            std::memmove(bytes_.data() + written, bytes_.data() + begin, length);
        }
        written += length;
        ++kept;
        CountCarries(carries, written, kept);
        offsets_[kept] = static_cast<std::uint32_t>(written);
    }
    bytes_.resize(written);
    offsets_.resize(kept + 1);
    carries_ = std::move(carries);
    endResetModel();
}

void NumberListModel::clear() {
    if (isEmpty()) {
        return;
    }
    beginResetModel();
    bytes_.clear();
    bytes_.shrink_to_fit();
    offsets_.assign(1, 0);
    offsets_.shrink_to_fit();
    carries_.clear();
    endResetModel();
}

std::string NumberListModel::joined(char separator) const {
    std::string out;
    out.reserve(bytes_.size() + offsets_.size());
    for (int row = 0; row < count(); ++row) {
        if (row > 0) {
            out.push_back(separator);
        }
        out.append(entry(row));
    }
    return out;
}

int NumberListModel::appendJoined(std::string& out, int first, char separator,
                                  std::size_t budget) const {
    const int rows = count();
    if (first < 0 || first >= rows) {
        return first;
    }
    // Every closing and comparing pass over a list of millions runs through
    // here, so entries are copied through a pointer into room made at once,
    // a short one as sixteen bytes in one go (the room has that much to
    // spare, and the list's buffer is read that far only where it holds it).
    constexpr std::size_t kShort = 16;
    const std::size_t start = out.size();
    const std::uint64_t firstBegin = offsetAt(static_cast<std::size_t>(first));
    const std::size_t firstSize =
        (first > 0 ? 1 : 0) + (offsetAt(static_cast<std::size_t>(first) + 1) - firstBegin);
    const std::size_t room = std::max(budget > start ? budget - start : 0, firstSize);
    out.resize(start + room + kShort);
    char* const begin = out.data() + start;
    char* const limit = begin + room;
    char* p = begin;
    const char* const source = bytes_.data();
    const bool plain = carries_.empty();
    std::uint64_t from = firstBegin;
    int row = first;
    for (; row < rows; ++row) {
        const auto next = static_cast<std::size_t>(row) + 1;
        const std::uint64_t to = plain ? offsets_[next] : offsetAt(next);
        const std::size_t size = to - from;
        if (row > first && size + 1 > static_cast<std::size_t>(limit - p)) {
            break;
        }
        if (row > 0) {
            *p++ = separator;
        }
        if (size <= kShort && from + kShort <= bytes_.size()) {
            std::memcpy(p, source + from, kShort);
        } else {
            std::memcpy(p, source + from, size);
        }
        p += size;
        from = to;
    }
    out.resize(start + static_cast<std::size_t>(p - begin));
    return row;
}

std::size_t NumberListModel::memoryBytes() const {
    return bytes_.capacity() + offsets_.capacity() * sizeof(std::uint32_t) +
           carries_.capacity() * sizeof(std::size_t);
}

int NumberListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count();
}

QVariant NumberListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= count()) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        // Only the start of an entry fits the column. Typed and loaded entries
        // are short, but one restored from the store may be megabytes long,
        // and laying all of it out would stall every repaint of the list.
        const std::string_view shown = entry(index.row());
        if (shown.size() > kLongestShown) {
            return QString::fromUtf8(shown.data(), kLongestShown) + QChar(0x2026);
        }
        return text(index.row());
    }
    return {};
}

QVariant NumberListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (section == 0 && orientation == Qt::Horizontal && role == Qt::DisplayRole) {
        return header_;
    }
    return QAbstractListModel::headerData(section, orientation, role);
}

void NumberListModel::setHeaderText(const QString& text) {
    header_ = text;
    emit headerDataChanged(Qt::Horizontal, 0, 0);
}

}  // namespace quillora
