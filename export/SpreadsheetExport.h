#pragma once

#include <QString>

#include "core/UiPorts.h"
#include "export/ExportContext.h"
#include "export/Spreadsheet.h"

// "Save Results As Excel File": the header row and the ticked rows in a new,
// unsaved workbook that is left open and shown to the user.
namespace quillora {

// Form1.SaveResultsAsExcelFileIsExcelInstalled: answers whether the
// spreadsheet application can be started, telling the user when it cannot.
bool SaveResultsAsExcelFileIsExcelInstalled(SpreadsheetProvider& provider, Dialogs& dialogs);

// Form1.PushButton5_Click. Table row r lands on sheet row r + 1, so an
// unticked row leaves its sheet row empty; "=" is taken out of the results
// (columns 2 and later). The Decimal row's results that read as numbers
// become numbers; every other cell stays text.
void SaveResultsToSpreadsheet(const ExportContext& context, SpreadsheetProvider& provider);

inline const QString kNotInstalledCheckMessage = QStringLiteral(
    "Excel is not installed on this computer. You need to have it installed to use this software "
    "without error.");
inline const QString kNotInstalledFeatureMessage = QStringLiteral(
    "Excel is not installed on this computer. You need to have it installed to use this feature.");

}  // namespace quillora
