#include "export/TableCells.h"

#include <stdexcept>
#include <string>

#include "engine/NumberText.h"

namespace quillora {

namespace {

const ResultRow& RowAt(const ResultsTableModel& table, int row) {
    if (row < 0 || row >= table.count()) {
        throw std::out_of_range("Index out of bounds");
    }
    return table.row(row);
}

void RequireColumn(const ResultsTableModel& table, int column) {
    if (column < 0 || column >= ColumnCount(table)) {
        throw std::out_of_range("Index out of bounds");
    }
}

}  // namespace

int ColumnCount(const ResultsTableModel&) {
    return ResultsTableModel::kColumnCount;
}

QString HeaderText(const ResultsTableModel& table, int column) {
    RequireColumn(table, column);
    return table.headerText(column);
}

QString CellText(const ResultsTableModel& table, int row, int column) {
    RowAt(table, row);
    RequireColumn(table, column);
    return table.text(row, column);
}

bool IsTicked(const ResultsTableModel& table, int row) {
    return RowAt(table, row).checked;
}

std::optional<Base> WrittenIn(const ResultsTableModel& table, int row) {
    return RowAt(table, row).writtenIn;
}

std::optional<double> CellNumber(const QString& text) {
    const std::string utf8 = text.toStdString();
    try {
        if (IsNumeric(utf8)) {
            // A spreadsheet number keeps what a double holds and no more: a
            // text it would not give back (an exact result's 20th digit) goes
            // as text, so no digit is lost. The run's own texts are written
            // from doubles and always come back.
            const double value = TextToNumber(utf8);
            if (NumberToText(value) == utf8) {
                return value;
            }
        }
    } catch (const std::exception&) {
    }
    return std::nullopt;
}

}  // namespace quillora
