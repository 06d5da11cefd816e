#pragma once

#include <optional>

#include <QString>
#include <QStringList>

#include "calc/ExactFold.h"
#include "calc/ExactText.h"
#include "calc/ResultsTableModel.h"

// The exact results as a table of the results table's own shape, so that the
// three exports take its ticked rows exactly as they take the run's.
namespace quillora {

// "Unbounded", "8 bits", "16 bits", "32 bits", "64 bits", "128 bits", in the
// order they are offered.
const QStringList& WordChoices();
// The word size of a choice's text (0 for "Unbounded"); nothing for a text
// that is no choice.
std::optional<int> WordBitsOfChoice(const QString& text);
QString WordChoiceOf(int wordBits);

// Writes the four rows, Decimal to Binary, of the results into table, each
// cell with its full text as its tool tip, or the reduced fraction where the
// text is rounded. The rows are made on the first fill and written over
// after, so their ticks stay through a new run or another view; no results
// (before any run) leaves the table without rows.
void FillExactTable(ResultsTableModel& table, const std::optional<ExactResults>& results,
                    const ExactView& view);

}  // namespace quillora
