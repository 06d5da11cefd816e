#pragma once

#include <memory>

#include <QString>

// The spreadsheet application as the spreadsheet export drives it: exactly
// these operations, each of which may throw, its what() telling the user why.
namespace quillora {

// How the application is to take a cell's text.
enum class CellReading {
    Text,             // kept as the text it is
    NumberIfNumeric,  // a number when the text reads as one, the text otherwise
};

class Spreadsheet {
  public:
    virtual ~Spreadsheet() = default;

    virtual void startApplication() = 0;
    virtual void addWorkbook() = 0;
    // Every later cell goes to the new workbook's active sheet.
    virtual void useActiveSheet() = 0;
    // Rows and columns count from 1. No text ever becomes a formula.
    virtual void setCellText(int row, int column, const QString& text, CellReading reading) = 0;
    virtual void autoFitColumn(int column) = 0;
    virtual void autoFitAllColumns() = 0;
    virtual void makeVisible() = 0;
};

// Where spreadsheets come from.
class SpreadsheetProvider {
  public:
    virtual ~SpreadsheetProvider() = default;
    // The application can be started here. Never throws.
    virtual bool available() = 0;
    // A client that has not started the application yet.
    virtual std::unique_ptr<Spreadsheet> create() = 0;
};

}  // namespace quillora
