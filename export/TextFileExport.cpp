#include "export/TextFileExport.h"

#include <algorithm>
#include <vector>

#include "export/TableCells.h"
#include "export/TextFileStream.h"

namespace quillora {

QString FileNameFromPath(const QString& path) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const qsizetype backslash = path.lastIndexOf(QLatin1Char('\\'));
    const qsizetype last = std::max(slash, backslash);
    return last < 0 ? path : path.mid(last + 1);
}

namespace {

// The cell, its padding up to the width, and the TAB that ends every cell.
void AppendPadded(QString& line, const QString& cell, int width) {
    line += cell;
    if (width > cell.size()) {
        line += QString(width - static_cast<int>(cell.size()), QLatin1Char(' '));
    }
    line += QLatin1Char('\t');
}

}  // namespace

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
    std::vector<int> widths;
    const int columns = ColumnCount(table);
    for (int c = 1; c <= columns; ++c) {
        int width = 0;
        step(110, [&] { width = std::max(width, static_cast<int>(HeaderText(table, c).size())); });
        const int rows = table.count();
        for (int r = 1; r <= rows; ++r) {
            step(112, [&] { pump.processEvents(); });
            step(114,
                 [&] { width = std::max(width, static_cast<int>(CellText(table, r, c).size())); });
        }
        widths.push_back(width);
    }

    if (progress != nullptr) {
        showProgress(118, 10);
    }

    QString line;
    TextFileStream file;
    step(128, [&] { file.create(fileName); });

    for (int c = 1; c <= columns; ++c) {
        step(130, [&] { pump.processEvents(); });
        step(132, [&] { AppendPadded(line, HeaderText(table, c), widths.at(c - 1)); });
    }
    step(134, [&] { file.writeLine(line); });

    if (progress != nullptr) {
        showProgress(136, 20);
    }

    const int rows = table.count();
    for (int r = 1; r <= rows; ++r) {
        step(146, [&] { pump.processEvents(); });
        line.clear();
        bool ticked = false;
        step(148, [&] { ticked = IsTicked(table, r); });
        if (!ticked) {
            continue;
        }
        for (int c = 1; c <= columns; ++c) {
            step(150, [&] { pump.processEvents(); });
            step(152, [&] { AppendPadded(line, CellText(table, r, c), widths.at(c - 1)); });
        }
        if (progress != nullptr) {
            step(154, [&] { pump.processEvents(); });
            step(156, [&] { progress->setValue(100.0 * r / rows); });
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
    const Pointer pointerBefore = context.window.pointer.pointer();
    step(112, [&] { context.window.pointer.setPointer(Pointer::Busy); });
    step(114, [&] {
        SaveListviewProperlySpaced(context.table, fileName, &context.window.progress,
                                   context.window.pump, context.window.report);
    });
    step(116, [&] { context.window.pointer.setPointer(PointerPort::AfterBusy(pointerBefore)); });
}

}  // namespace quillora
