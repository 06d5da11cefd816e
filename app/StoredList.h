#pragma once

#include <QString>

#include "input/NumberListModel.h"

// The number list as the settings store keeps it under "Zip Codes": every
// row, first to last, joined with ";".
namespace quillora {

// The stored text of the list; the empty text for an empty list.
QString StoredListText(const NumberListModel& list);

// Every piece between ";" as one row, empty pieces included; the empty text
// gives one empty piece (start-up ends before splitting an empty value).
EntryBatch SplitStoredList(const QString& stored);

}  // namespace quillora
