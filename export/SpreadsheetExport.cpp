#include "export/SpreadsheetExport.h"

#include <optional>
#include <stdexcept>

#include "export/TableCells.h"

namespace quillora {

namespace {

// Only the Decimal row's digits are decimal numbers; hexadecimal, octal and
// binary digits read as numbers would mean something else.
CellReading ReadingFor(std::optional<Base> writtenIn, int column) {
    return column >= 1 && writtenIn == Base::Decimal ? CellReading::NumberIfNumeric
                                                     : CellReading::Text;
}

// The sheet counts its rows and columns from 1, the header in its first row.
int SheetColumn(int column) {
    return column + 1;
}

}  // namespace

bool SaveResultsAsExcelFileIsExcelInstalled(SpreadsheetProvider& provider, Dialogs& dialogs) {
    bool available = false;
    try {
        available = provider.available();
    } catch (...) {
        available = false;
    }
    if (!available) {
        dialogs.message(kNotInstalledCheckMessage);
    }
    return available;
}

void SaveResultsToSpreadsheet(const ExportContext& context, SpreadsheetProvider& provider) {
    Steps step(context.window.report, LocationName("Form1", "PushButton5_Click"));
    const ResultsTableModel& table = context.table;

    bool installed = true;
    step(100, [&] {
        installed = SaveResultsAsExcelFileIsExcelInstalled(provider, context.window.dialogs);
    });
    if (!installed) {
        step(102, [&] { context.window.dialogs.message(kNotInstalledFeatureMessage); });
        return;
    }
    if (table.count() == 0) {
        return;
    }
    BusyGuard busy(context.window.busy, context.window.pointer, BusyGuard::Operation::Other);
    step(110, [&] { busy.showHourglass(); });

    std::unique_ptr<Spreadsheet> sheet;
    step(112, [&] { sheet = provider.create(); });
    auto call = [&](int label, auto&& operation) {
        step(label, [&] {
            if (!sheet) {
                throw std::runtime_error("The spreadsheet application is not available");
            }
            operation(*sheet);
        });
    };
    call(114, [](Spreadsheet& s) { s.startApplication(); });
    call(116, [](Spreadsheet& s) { s.addWorkbook(); });
    call(118, [](Spreadsheet& s) { s.useActiveSheet(); });

    const int columns = ColumnCount(table);
    for (int k = 0; k < columns; ++k) {
        step(124, [&] { context.window.pump.processEvents(); });
        QString header;
        step(126, [&] { header = HeaderText(table, k); });
        call(126,
             [&](Spreadsheet& s) { s.setCellText(1, SheetColumn(k), header, CellReading::Text); });
        call(130, [&](Spreadsheet& s) { s.autoFitColumn(SheetColumn(k)); });
    }

    int sheetRow = 2;
    const int rows = table.count();
    for (int r = 0; r < rows; ++r, ++sheetRow) {
        step(138, [&] { context.window.pump.processEvents(); });
        bool ticked = false;
        step(140, [&] { ticked = IsTicked(table, r); });
        if (!ticked) {
            continue;
        }
        for (int k = 0; k < columns; ++k) {
            step(146, [&] { context.window.pump.processEvents(); });
            QString text;
            std::optional<Base> writtenIn;
            const bool read = step(148, [&] {
                text = CellText(table, r, k);
                writtenIn = WrittenIn(table, r);
            });
            if (!read) {
                continue;
            }
            if (k >= 1) {
                text.remove(QLatin1Char('='));
            }
            call(148, [&](Spreadsheet& s) {
                s.setCellText(sheetRow, SheetColumn(k), text, ReadingFor(writtenIn, k));
            });
        }
    }

    call(160, [](Spreadsheet& s) { s.autoFitAllColumns(); });
    call(162, [](Spreadsheet& s) { s.makeVisible(); });
    // Letting go of the client leaves the workbook open in the application.
    sheet.reset();
    step(164, [&] { busy.endHourglass(); });
}

}  // namespace quillora
