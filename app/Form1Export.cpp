#include "app/Form1.h"
#include "export/ClipboardExport.h"
#include "export/SpreadsheetExport.h"
#include "export/TextFileExport.h"

// The three export buttons: each hands the results table and the window's
// ports to the export room, which reports its own failures.
namespace quillora {

ExportContext Form1::exportContext() {
    return {*results_, windowPorts()};
}

bool Form1::SaveResultsAsExcelFileIsExcelInstalled() {
    return quillora::SaveResultsAsExcelFileIsExcelInstalled(*spreadsheets_, *dialogs_);
}

void Form1::PushButton4_Click() {
    SaveResultsAsTextFile(exportContext());
}

void Form1::PushButton5_Click() {
    SaveResultsToSpreadsheet(exportContext(), *spreadsheets_);
}

void Form1::PushButton8_Click() {
    CopyResultsToClipboard(exportContext(), *clipboard_);
}

}  // namespace quillora
