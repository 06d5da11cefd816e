#pragma once

#include <QString>

#include "calc/ResultsTableModel.h"

// The results table as the exports read it: columns and rows counted from 1,
// read live. The table may change under an export while it yields, so a row
// that has gone fails the read instead of reading something else.
namespace quillora {

int ColumnCount(const ResultsTableModel& table);
QString HeaderText(const ResultsTableModel& table, int column);
// The row's base name for column 1, its sub-item column - 1 after that.
// Fails with "Index out of bounds" for a row or column that is not there.
QString CellText(const ResultsTableModel& table, int row, int column);
bool IsTicked(const ResultsTableModel& table, int row);

}  // namespace quillora
