#pragma once

#include <string>
#include <vector>

#include "calc/ResultTexts.h"
#include "core/Base.h"

// The results table as `quillora --calc` prints it on standard output: UTF-8
// text with LF line ends, in one of three forms. Plain strings only, so that
// the command needs no Qt.
namespace quillora {

enum class ResultsFormat { Text, Tsv, Json };

struct PrintedResults {
    const ResultTexts& texts;
    std::vector<Base> rows;  // which rows, in this order
    Base listBase;           // the base the list was read in
    unsigned long long entries = 0;
    unsigned long long skipped = 0;
    bool exact = false;
};

// text: the layout of "Save Results As Text File" (every cell padded to its
// column's width over the headers and all four rows, then a TAB), the header
// line first, LF instead of CR LF.
// tsv: the header line and the rows, cells separated by one TAB, no padding.
// json: one object with "base", "entries", "skipped", "exact" and "results",
// every result a string so that no digit is lost.
std::string PrintResults(const PrintedResults& results, ResultsFormat format);

}  // namespace quillora
