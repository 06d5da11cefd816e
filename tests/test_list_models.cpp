// Both list models under Qt's own model checker while they go through every
// edit the window makes: a view trusts the signals they send, so a wrong
// range or a missing reset would show as a stale or crashing list.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "calc/ResultsTableModel.h"
#include "input/NumberListModel.h"
#include "support/ModelWatch.h"
#include "support/QStringPrinting.h"

using namespace quillora;
using quillora::testing::ModelWatch;

TEST(ModelChecker, NumberListKeepsItsRulesThroughEveryEdit) {
    NumberListModel list;
    ModelWatch watch(&list);

    list.setHeaderText(QStringLiteral("Numbers"));
    list.append(std::string_view("12"));
    list.append(QStringLiteral("FF"));
    list.appendMany(std::vector<std::string>{"1", "2", "3", "4", "5"});
    list.appendMany(std::vector<std::string>{});
    EntryBatch batch;
    batch.add("6");
    batch.add("7");
    list.appendMany(batch);
    list.appendMany(EntryBatch{});
    list.removeAt(0);
    list.removeAt(list.count() - 1);
    list.removeEach({3, 1, 3, -1, 99});
    list.removeEach({});
    list.append(list.entry(0));  // an entry of its own buffer, appended again
    EXPECT_EQ(list.count(), 6);
    list.clear();
    list.clear();
    list.append(std::string_view("10"));

    EXPECT_EQ(list.count(), 1);
    EXPECT_TRUE(watch.problems.isEmpty()) << watch.problems.join('\n').toStdString();
}

TEST(ModelChecker, ResultsTableKeepsItsRulesThroughEveryEdit) {
    ResultsTableModel results;
    ModelWatch watch(&results);

    for (int column = 0; column < ResultsTableModel::kColumnCount; ++column) {
        results.setHeaderText(column, ResultsTableModel::columnCaptions().at(column));
    }
    for (const char* base : {"Binary", "Octal", "Decimal", "Hexadecimal"}) {
        const int row = results.addRow(QString::fromLatin1(base));
        for (int cell = 1; cell <= 4; ++cell) {
            results.setCell(row, cell, QString::number(row * 10 + cell));
        }
    }
    results.setChecked(1, true);
    EXPECT_TRUE(results.setData(results.index(2, 0), Qt::Checked, Qt::CheckStateRole));
    EXPECT_FALSE(results.setData(results.index(2, 1), Qt::Checked, Qt::CheckStateRole));
    results.setData(results.index(1, 0), Qt::Unchecked, Qt::CheckStateRole);
    results.removeRowAt(0);
    results.removeRowAt(results.count());
    EXPECT_EQ(results.checkedRows().size(), 1U);
    results.clear();
    results.clear();
    results.addRow(QStringLiteral("Decimal"));

    EXPECT_EQ(results.count(), 1);
    EXPECT_TRUE(watch.problems.isEmpty()) << watch.problems.join('\n').toStdString();
}
