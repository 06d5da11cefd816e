#include "export/TableCells.h"

#include <stdexcept>

namespace quillora {

namespace {

const ResultRow& RowAt(const ResultsTableModel& table, int row) {
    if (row < 1 || row > table.count()) {
        throw std::out_of_range("Index out of bounds");
    }
    return table.row(row - 1);
}

}  // namespace

int ColumnCount(const ResultsTableModel&) {
    return ResultsTableModel::kColumnCount;
}

QString HeaderText(const ResultsTableModel& table, int column) {
    if (column < 1 || column > ColumnCount(table)) {
        throw std::out_of_range("Index out of bounds");
    }
    return table.headerText(column - 1);
}

QString CellText(const ResultsTableModel& table, int row, int column) {
    const ResultRow& found = RowAt(table, row);
    if (column == 1) {
        return found.base;
    }
    if (column < 1 || column > ColumnCount(table)) {
        throw std::out_of_range("Index out of bounds");
    }
    return found.cells.at(static_cast<std::size_t>(column - 2));
}

bool IsTicked(const ResultsTableModel& table, int row) {
    return RowAt(table, row).checked;
}

}  // namespace quillora
