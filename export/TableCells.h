#pragma once

#include <optional>

#include <QString>

#include "calc/ResultsTableModel.h"
#include "core/Base.h"

// The results table as the exports read it: rows and columns counted as the
// model counts them, read live. The table may change under an export while it
// yields, so a row that has gone fails the read instead of reading something else.
namespace quillora {

int ColumnCount(const ResultsTableModel& table);
QString HeaderText(const ResultsTableModel& table, int column);
// The row's base name in column 0, its results in columns 1 to 4.
// Fails with "Index out of bounds" for a row or column that is not there.
QString CellText(const ResultsTableModel& table, int row, int column);
bool IsTicked(const ResultsTableModel& table, int row);
// The base the row's results are written in, if its name is a base's.
std::optional<Base> WrittenIn(const ResultsTableModel& table, int row);

// The number a cell's text reads as, by the program's own numeric test;
// nothing for texts that are not numbers, beyond the double range, or with
// more than the number gives back as text (an exact result's long digits). The
// exports that hand a spreadsheet numbers mark just these cells as numbers.
std::optional<double> CellNumber(const QString& text);

}  // namespace quillora
