#pragma once

#include <optional>

#include <QString>
#include <QStringList>

#include "calc/ExactFold.h"
#include "calc/ListFold.h"
#include "calc/ResultsTableModel.h"

// The exact results as a table of the results table's own shape, so that the
// three exports take its ticked rows exactly as they take the run's.
namespace quillora {

// How exact results are written: whole results of the Hexadecimal, Octal and
// Binary rows as two's-complement words of wordBits (0: as they are), and
// digits grouped or not.
struct ExactView {
    int wordBits = 0;
    bool group = false;
    friend bool operator==(const ExactView&, const ExactView&) = default;
};

// "Unbounded", "8 bits", "16 bits", "32 bits", "64 bits", "128 bits", in the
// order they are offered.
const QStringList& WordChoices();
// The word size of a choice's text (0 for "Unbounded"); nothing for a text
// that is no choice.
std::optional<int> WordBitsOfChoice(const QString& text);
QString WordChoiceOf(int wordBits);

// The cells and their tool tips of each row (in the order of kAllBases) and
// operation, as the exact results window shows them.
struct ExactTexts {
    ResultTexts cells;
    ResultTexts toolTips;
};
ExactTexts WriteExactResults(const ExactResults& results, const ExactView& view);

// Writes the four rows, Decimal to Binary, of the results into table, each
// cell with its full text as its tool tip, or the reduced fraction where the
// text is rounded. The rows are made on the first fill and written over
// after, so their ticks stay through a new run or another view; no results
// (before any run) leaves the table without rows.
void FillExactTable(ResultsTableModel& table, const std::optional<ExactResults>& results,
                    const ExactView& view);

}  // namespace quillora
