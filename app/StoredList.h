#pragma once

#include <string>
#include <string_view>

#include <QString>

#include "app/TextSource.h"
#include "input/NumberListModel.h"

// The number list as the settings store keeps it under "Zip Codes": every
// row, first to last, joined with ";".
namespace quillora {

// The stored text of the list; the empty text for an empty list.
QString StoredListText(const NumberListModel& list);
// The same as UTF-8 bytes, as the store writes them, handed over in pieces of
// whole entries gathered in a small buffer: closing with millions of entries
// never holds their joined text at once. The list must not change meanwhile.
class StoredListSource : public TextSource {
  public:
    explicit StoredListSource(const NumberListModel& list) : list_(list) {}
    std::size_t size() const override;
    void eachPiece(const std::function<void(std::string_view)>& take) const override;

  private:
    const NumberListModel& list_;
    mutable std::string buffer_;  // kept from one pass to the next
};

// Every piece between ";" as one row, empty pieces included; the empty text
// gives one empty piece (start-up ends before splitting an empty value).
EntryBatch SplitStoredList(const QString& stored);
EntryBatch SplitStoredList(std::string_view stored);

}  // namespace quillora
