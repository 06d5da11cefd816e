#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/Base.h"
#include "export/ResultsPrinting.h"

// The options of `quillora --calc`, which folds a list from files or standard
// input and prints the results table, without a window. Plain strings only:
// the program reads an ordinary --calc command line without Qt (CalcArguments)
// and leaves every other one to Qt's parser (CalcOptionSet); both turn the
// values they found into options here, so they cannot disagree on them.
namespace quillora {

struct CalcOptions {
    Base base = Base::Decimal;
    bool exact = false;
    std::optional<int> word;  // --word: 8, 16, 32, 64 or 128 bits
    bool group = false;
    ResultsFormat format = ResultsFormat::Text;
    std::vector<Base> rows{kAllBases.begin(), kAllBases.end()};
    bool strict = false;
    std::vector<std::string> files;  // as given; none, or "-": standard input
    friend bool operator==(const CalcOptions&, const CalcOptions&) = default;
};

// The --calc options as given on the command line, before they are read: the
// last value of each option given twice, as most tools take it.
struct CalcValues {
    bool exact = false;
    bool group = false;
    bool strict = false;
    std::optional<std::string> base;
    std::optional<std::string> word;
    std::optional<std::string> format;
    std::optional<std::string> rows;
    std::vector<std::string> files;
};

// The options, or a usage error's description (without the program's name)
// when a value names no base, word size, format or row, or options do not
// fit together.
struct CalcOptionsRead {
    std::optional<CalcOptions> options;
    std::string error;
};
CalcOptionsRead ReadCalcValues(const CalcValues& values);

// A base as --base and --rows name it: its name ("hexadecimal") or its short
// form ("hex"), in any case.
std::optional<Base> BaseNamed(std::string_view name);

}  // namespace quillora
