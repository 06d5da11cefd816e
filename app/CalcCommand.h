#pragma once

#include <cstdio>

#include "app/CalcOptions.h"

namespace quillora {

// `quillora --calc`: streams the numbers of the files (or standard input)
// through the window's fold and prints the results table on out; messages go
// to err, each starting "quillora: ". It needs no display, never touches the
// settings file or the single-instance lock and never starts LibreOffice.
// Returns the exit status: 0 when the results were printed; 1 for fewer than
// two numbers, an input that cannot be read (nothing printed), a failure the
// window would report (the results still printed) or, with --strict, a
// skipped line. With --exact the exact results are printed instead, as the
// Exact Results window shows them, and failures of the doubles alone are
// not told.
int RunCalcCommand(const CalcOptions& options, std::FILE* out, std::FILE* err);

}  // namespace quillora
