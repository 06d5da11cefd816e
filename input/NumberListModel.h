#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <QAbstractListModel>
#include <QString>

#include "calc/NumberSource.h"

namespace quillora {

// Many entries packed in one buffer, as file loading gathers them before they
// join the list in one insertion: no allocation per entry.
class EntryBatch {
  public:
    void add(std::string_view text);
    // Room for that many more entries and bytes, so a batch of known size
    // (a restored list) is gathered without regrowing.
    void reserve(std::size_t entries, std::size_t bytes);
    std::size_t size() const { return ends_.size(); }
    bool empty() const { return ends_.empty(); }
    std::size_t bytes() const { return bytes_.size(); }
    void clear();

  private:
    friend class NumberListModel;
    std::string bytes_;
    std::vector<std::uint64_t> ends_;  // entry i ends at ends_[i], starts where i - 1 ends
};

// The number list (ListView1): one text per entry, in insertion order,
// duplicates allowed. Entries are kept as UTF-8 in one shared buffer with an
// offset per entry, so a list of millions costs little more than its digits.
class NumberListModel : public QAbstractListModel, public NumberSource {
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
    void removeAt(int row);
    void clear();

    // Entries joined by the separator, with none before the first or after the last.
    std::string joined(char separator) const;
    std::size_t memoryBytes() const;

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
    std::vector<std::uint64_t> offsets_{0};  // entry i spans [offsets_[i], offsets_[i + 1])
    QString header_;
};

}  // namespace quillora
