#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/CalcOptions.h"

// An ordinary `quillora --calc` command line read without Qt, so that the
// command starts like a small tool: Qt Core alone, loaded and bound, takes
// longer than counting the lines of a million-line file.
namespace quillora {

// The options of a command line that asks for --calc in the forms scripts
// write: --calc, --exact, --group and --strict; --base, --word, --format and
// --rows with their value after "=" or as the next word; -b with its value
// joined, after "=" or next; "-" and "--" as Qt's parser takes them, and
// files. Nothing for any other command line, or one whose values do not
// read (help, version, a window, a usage error): Qt's parser then reads the
// whole of it. Where this gives options, that parser gives the same ones.
std::optional<CalcOptions> ReadCalcArguments(const std::vector<std::string>& arguments);

}  // namespace quillora
