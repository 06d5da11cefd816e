#pragma once

#include <functional>
#include <string>
#include <string_view>

#include <QString>

#include "core/StoredEntries.h"
#include "store/TextSource.h"

// The number list as the settings store keeps it under "Zip Codes": every
// row, first to last, joined with ";".
namespace quillora {

inline constexpr char kStoredListSeparator = ';';

// The stored text of the list; the empty text for an empty list.
QString StoredListText(const JoinableEntries& list);
// The same as UTF-8 bytes, as the store writes them, handed over in pieces of
// whole entries gathered in a small buffer: closing with millions of entries
// never holds their joined text at once. The list must not change meanwhile.
class StoredListSource : public TextSource {
  public:
    explicit StoredListSource(const JoinableEntries& list) : list_(list) {}
    std::size_t size() const override;
    void eachPiece(const std::function<void(std::string_view)>& take) const override;

  private:
    const JoinableEntries& list_;
    mutable std::string buffer_;  // kept from one pass to the next
};

// Every piece between ";" as one row into rows, empty pieces included; the
// empty text gives one empty piece (start-up ends before splitting an empty
// value). Throws with rows as they were.
void SplitStoredList(const QString& stored, PieceSink& rows);
void SplitStoredList(std::string_view stored, PieceSink& rows);

}  // namespace quillora
