#pragma once

#include <functional>
#include <vector>

#include <QString>

#include "calc/ResultsTableModel.h"
#include "core/StepReport.h"
#include "core/UiPorts.h"

// The padded cells the text file and the clipboard both write: every column as
// wide as its longest text, each cell followed by a TAB. Rows and columns count
// as the results table counts them.
namespace quillora {

// The step labels of measuring the widths. header 0 leaves the headers out of
// the widths; yield is the events turn before each cell, cell its measuring.
struct WidthSteps {
    int header;
    int yield;
    int cell;
};

// One width per column over every row, ticked or not. The row count is read
// afresh for each column, since the table may change while the pass yields.
std::vector<int> ColumnWidths(const ResultsTableModel& table, EventPump& pump, Steps& step,
                              WidthSteps labels);

// The layout of one cell: its text, spaces up to the column's width, a TAB.
void AppendPaddedCell(QString& line, const QString& cell, int width);

// The step labels of writing one line: the events turn before each cell, and
// the cell's text with its padding and TAB.
struct CellSteps {
    int yield;
    int cell;
};

// Appends the text of every column (cellText reads column c) to line, padded
// to its width and ended by a TAB. A cell whose step fails adds nothing.
void AppendPaddedCells(QString& line, const std::vector<int>& widths,
                       const std::function<QString(int column)>& cellText, EventPump& pump,
                       Steps& step, CellSteps labels);

}  // namespace quillora
