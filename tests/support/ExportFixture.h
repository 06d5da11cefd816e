#pragma once

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <vector>

#include <gtest/gtest.h>

#include "calc/ResultsTableModel.h"
#include "export/ClipboardExport.h"
#include "export/ExportContext.h"
#include "support/FakePorts.h"

// What the tests of the three exports share: the worked example's results
// table and a fixture that hands an export its context of recording ports.
namespace quillora::testing {

// Adds the rows (the base, then the four results), each ticked or not.
inline void FillRows(ResultsTableModel& table, const std::vector<QStringList>& rows, bool tick) {
    for (const QStringList& cells : rows) {
        const int r = table.addRow(cells.at(0));
        for (int k = 1; k <= 4; ++k) {
            table.setCell(r, k, cells.at(k));
        }
        table.setChecked(r, tick);
    }
}

// The results table of the worked examples: 30, 15 and 10 fold to these.
inline void FillExample(ResultsTableModel& table, bool tickAll = true) {
    for (int c = 0; c < ResultsTableModel::kColumnCount; ++c) {
        table.setHeaderText(c, ResultsTableModel::columnCaptions().at(c));
    }
    FillRows(table,
             {{"Decimal", "15", "5", "50", "2"},
              {"Hexadecimal", "F", "5", "32", "2"},
              {"Octal", "17", "5", "62", "2"},
              {"Binary", "1111", "101", "110010", "10"}},
             tickAll);
}

inline QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

class ExportTest : public ::testing::Test, protected FakeWindow {
  protected:
    ExportContext context() { return {table, ports()}; }
    QString path(const QString& name) const { return QDir(dir.path()).filePath(name); }

    ResultsTableModel table;
    QTemporaryDir dir;
};

// A clipboard that keeps what it is given.
class KeepingClipboard : public ClipboardPort {
  public:
    bool clear() override {
        text.clear();
        return true;
    }
    bool setText(const QString& given) override {
        text = given;
        return true;
    }
    QString text;
};

}  // namespace quillora::testing
