#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <QAbstractListModel>
#include <QString>

#include "core/NumberSource.h"
#include "core/StoredEntries.h"
#include "input/EntryBatch.h"

namespace quillora {

// The number list (ListView1): one text per entry, in insertion order,
// duplicates allowed. Entries are kept as UTF-8 in one shared buffer with a
// 32-bit offset per entry (and the few rows where the buffer passes another
// 4 GiB), so a list of millions costs little more than its digits.
class NumberListModel : public QAbstractListModel, public NumberSource, public JoinableEntries {
    Q_OBJECT
  public:
    explicit NumberListModel(QObject* parent = nullptr);

    int count() const override { return static_cast<int>(offsets_.size()) - 1; }
    bool isEmpty() const { return count() == 0; }
    // Valid until the list changes.
    std::string_view entry(int row) const override;
    QString text(int row) const;

    void append(std::string_view text);
    void append(const QString& text);
    // One insertion for many entries: what file loading and restoring use.
    // Appends all or nothing: a failure (out of memory, more rows than the
    // view can count) leaves the list as it was.
    void appendMany(const std::vector<std::string>& texts);
    void appendMany(const EntryBatch& batch);
    // As above; an empty list takes the batch's buffers over instead of
    // copying them, and the batch is left empty.
    void appendMany(EntryBatch&& batch);
    // Room for at least that many more entries and bytes, made at once (with
    // a little to spare) rather than grown by half, so a load that foresees
    // its size moves its buffers once. Never shrinks; throws (std::bad_alloc)
    // with the list untouched.
    void reserve(std::size_t entries, std::size_t bytes);
    void removeAt(int row);
    // Removes every row named (any order; repeats and rows not there are
    // ignored) in one pass, announced as one reset, so that taking most of a
    // million entries stays linear.
    void removeEach(std::vector<int> rows);
    void clear();

    // Entries joined by the separator, with none before the first or after the last.
    std::string joined(char separator) const;
    // The same in parts, as the settings store writes them.
    int appendJoined(std::string& out, int first, char separator,
                     std::size_t budget) const override;
    std::size_t memoryBytes() const;
    // The bytes of all entries' texts together.
    std::size_t textBytes() const override { return bytes_.size(); }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // Start-up builds the one column header.
    void setHeaderText(const QString& text);

  private:
    // Makes room for that many more entries and bytes, or throws with the list untouched.
    void reserveFor(std::size_t entries, std::size_t bytes);

    std::string bytes_;
    // Where entry i - 1 ends and entry i begins: the low 32 bits in offsets_[i],
    // the high ones counted by the carries at or before i.
    // Inline: a run reads two of these per entry.
    std::uint64_t offsetAt(std::size_t i) const {
        const std::uint64_t low = offsets_.at(i);
        return carries_.empty() ? low : low | highPartAt(i);
    }
    std::uint64_t highPartAt(std::size_t i) const;
    void pushOffset(std::uint64_t offset);

    // entry i spans [offsetAt(i), offsetAt(i + 1))
    std::vector<std::uint32_t> offsets_{0};
    // Ascending indices of offsets_ whose offset passes one more multiple of 2^32.
    std::vector<std::size_t> carries_;
    QString header_;
};

}  // namespace quillora
