#include "export/PaddedCells.h"

#include <algorithm>

#include "export/TableCells.h"

namespace quillora {

namespace {

int Length(const QString& text) {
    return static_cast<int>(text.size());
}

}  // namespace

std::vector<int> ColumnWidths(const ResultsTableModel& table, EventPump& pump, Steps& step,
                              WidthSteps labels) {
    std::vector<int> widths;
    const int columns = ColumnCount(table);
    for (int c = 0; c < columns; ++c) {
        int width = 0;
        if (labels.header != 0) {
            step(labels.header, [&] { width = std::max(width, Length(HeaderText(table, c))); });
        }
        const int rows = table.count();
        for (int r = 0; r < rows; ++r) {
            step(labels.yield, [&] { pump.processEvents(); });
            step(labels.cell, [&] { width = std::max(width, Length(CellText(table, r, c))); });
        }
        widths.push_back(width);
    }
    return widths;
}

void AppendPaddedCell(QString& line, const QString& cell, int width) {
    line += cell;
    if (width > cell.size()) {
        line += QString(width - Length(cell), QLatin1Char(' '));
    }
    line += QLatin1Char('\t');
}

void AppendPaddedCells(QString& line, const std::vector<int>& widths,
                       const std::function<QString(int column)>& cellText, EventPump& pump,
                       Steps& step, CellSteps labels) {
    const int columns = static_cast<int>(widths.size());
    for (int c = 0; c < columns; ++c) {
        step(labels.yield, [&] { pump.processEvents(); });
        step(labels.cell,
             [&] { AppendPaddedCell(line, cellText(c), widths.at(static_cast<std::size_t>(c))); });
    }
}

}  // namespace quillora
