#pragma once

#include <QString>

#include "calc/ResultsTableModel.h"

// The clipboard's second flavour of the copied results: an HTML table that a
// spreadsheet pastes one cell per result, without the plain text's padding.
namespace quillora {

// One <tr> per ticked row, one <td> per cell. The Decimal row's results that
// read as numbers are marked as numbers with their value in the C locale (so a
// German spreadsheet does not read 12.5 as a date); every other cell is marked
// as text, so hexadecimal, octal and binary digits keep each digit (0101 is not
// the number 101). Both marks are given, LibreOffice's (sdval, sdnum) and
// Excel's (x:num, mso-number-format), since each reads only its own.
QString ClipboardHtml(const ResultsTableModel& table);

}  // namespace quillora
