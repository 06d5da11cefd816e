#pragma once

#include <string>
#include <string_view>

#include <QString>

#include "input/NumberListModel.h"

// The number list as the settings store keeps it under "Zip Codes": every
// row, first to last, joined with ";".
namespace quillora {

// The stored text of the list; the empty text for an empty list.
QString StoredListText(const NumberListModel& list);
// The same as UTF-8 bytes, as the store writes them.
std::string StoredListBytes(const NumberListModel& list);

// Every piece between ";" as one row, empty pieces included; the empty text
// gives one empty piece (start-up ends before splitting an empty value).
EntryBatch SplitStoredList(const QString& stored);
EntryBatch SplitStoredList(std::string_view stored);

}  // namespace quillora
