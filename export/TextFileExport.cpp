#include "export/TextFileExport.h"

#include <algorithm>
#include <vector>

#include "export/PaddedCells.h"
#include "export/TableCells.h"
#include "export/TextFileStream.h"

namespace quillora {

QString FileNameFromPath(const QString& path) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const qsizetype backslash = path.lastIndexOf(QLatin1Char('\\'));
    const qsizetype last = std::max(slash, backslash);
    return last < 0 ? path : path.mid(last + 1);
}

void SaveListviewProperlySpaced(const ResultsTableModel& table, const QString& fileName,
                                ProgressPort* progress, EventPump& pump, FailureReport& report) {
    Steps step(report, LocationName("Main", "SaveListviewProperlySpaced"));
    const QString caption = QStringLiteral("Writing file: ") + FileNameFromPath(fileName);
    auto showProgress = [&](int label, double value) {
        step(label, [&] { pump.processEvents(); });
        step(label + 2, [&] { progress->setValue(value); });
        step(label + 4, [&] { progress->setCaption(caption); });
        step(label + 6, [&] { pump.processEvents(); });
    };

    if (progress != nullptr) {
        showProgress(100, 1);
    }

    // Widths count the headers and every row, ticked or not, so all lines of
    // one file have the same length.
    const std::vector<int> widths =
        ColumnWidths(table, pump, step, {.header = 110, .yield = 112, .cell = 114});

    if (progress != nullptr) {
        showProgress(118, 10);
    }

    QString line;
    TextFileStream file;
    step(128, [&] { file.create(fileName); });

    AppendPaddedCells(line, widths, [&](int c) { return HeaderText(table, c); }, pump, step,
                      {.yield = 130, .cell = 132});
    step(134, [&] { file.writeLine(line); });

    if (progress != nullptr) {
        showProgress(136, 20);
    }

    const int rows = table.count();
    for (int r = 0; r < rows; ++r) {
        step(146, [&] { pump.processEvents(); });
        line.clear();
        bool ticked = false;
        step(148, [&] { ticked = IsTicked(table, r); });
        if (!ticked) {
            continue;
        }
        AppendPaddedCells(line, widths, [&](int c) { return CellText(table, r, c); }, pump, step,
                          {.yield = 150, .cell = 152});
        if (progress != nullptr) {
            step(154, [&] { pump.processEvents(); });
            step(156, [&] { progress->setValue(100.0 * (r + 1) / rows); });
            step(158, [&] { pump.processEvents(); });
        }
        step(160, [&] { file.writeLine(line); });
    }

    if (progress != nullptr) {
        step(164, [&] { progress->setValue(100); });
        step(166, [&] { progress->setCaption(QStringLiteral("Done.")); });
    }
    step(168, [&] { file.close(); });
    if (progress != nullptr) {
        step(172, [&] { progress->setValue(0); });
        step(174, [&] { progress->setCaption(QStringLiteral("Progress Bar")); });
    }
}

void SaveResultsAsTextFile(const ExportContext& context) {
    Steps step(context.window.report, LocationName("Form1", "PushButton4_Click"));
    QString fileName;
    // The dialog neither asks before replacing a file nor adds an extension.
    step(108, [&] { fileName = context.window.dialogs.saveFile(kTextSaveTitle, kTextSaveFilter); });
    if (fileName.isEmpty()) {
        return;
    }
    BusyGuard busy(context.window.busy, context.window.pointer, BusyGuard::Operation::Other);
    step(112, [&] { busy.showHourglass(); });
    step(114, [&] {
        SaveListviewProperlySpaced(context.table, fileName, &context.window.progress,
                                   context.window.pump, context.window.report);
    });
    step(116, [&] { busy.endHourglass(); });
}

}  // namespace quillora
