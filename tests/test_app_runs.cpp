// Runs and exports started from the real Form1, and what the window lets the
// user do while a run yields: nothing that would change the list or the base,
// exports that run in full, a close that ends the program.
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include <QFile>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeView>

#include "engine/NumberSystem.h"
#include "engine/NumberText.h"
#include "export/ClipboardExport.h"
#include "export/SpreadsheetExport.h"
#include "support/AppHarness.h"
#include "support/ExportFixture.h"
#include "support/QStringPrinting.h"
#include "support/ScriptedPump.h"
#include "support/WindowChecks.h"

namespace quillora {
namespace {

using namespace quillora::testing;

// ---- Calculation through the window ----------------------------------------

TEST(Calculating, HexSamplesThenStartCalculatingFillTheTableAndSayDone) {
    AppHarness app;
    auto form = app.start();
    Button(*form, 10)->click();
    EXPECT_TRUE(Option(*form, Base::Hexadecimal)->isChecked());
    EXPECT_EQ(Entries(*form), QStringList({"a36", "a35"}));
    Button(*form, 3)->click();
    ASSERT_EQ(form->results().count(), 4);
    EXPECT_EQ(RowTexts(*form, 0).mid(0, 3), QStringList({"Decimal", "5227", "1"}));
    EXPECT_EQ(RowTexts(*form, 1).mid(0, 3), QStringList({"Hexadecimal", "146B", "1"}));
    EXPECT_FALSE(form->results().row(3).checked);
    ASSERT_EQ(app.dialogs.messages.size(), 1u);
    EXPECT_EQ(app.dialogs.messages[0].text, QStringLiteral("Done."));
    EXPECT_TRUE(app.dialogs.messages[0].title.isEmpty());
    EXPECT_EQ(form->pointer(), Pointer::Default);
    EXPECT_EQ(Control<QProgressBar>(*form, "ProgressBar1")->text(), QStringLiteral("Progress Bar"));
    EXPECT_EQ(Control<QProgressBar>(*form, "ProgressBar1")->value(), 0);
}

// A spreadsheet application that is not installed.
class MissingSpreadsheets : public SpreadsheetProvider {
  public:
    bool available() override { return false; }
    std::unique_ptr<Spreadsheet> create() override { return nullptr; }
};

TEST(Exporting, TheThreeButtonsTakeTheTickedRowsOfTheWindowsTable) {
    AppHarness app;
    KeepingClipboard clipboard;
    MissingSpreadsheets spreadsheets;
    app.clipboard = &clipboard;
    app.spreadsheets = &spreadsheets;
    auto form = app.start();
    Button(*form, 10)->click();
    Button(*form, 3)->click();
    ASSERT_EQ(form->results().count(), 4);
    form->results().setChecked(0, true);
    form->results().setChecked(2, true);
    app.dialogs.messages.clear();

    const QString file = app.temp.filePath(QStringLiteral("results.txt"));
    app.dialogs.saveAnswers.push_back(file);
    Button(*form, 4)->click();
    QFile written(file);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QByteArray bytes = written.readAll();
    EXPECT_TRUE(bytes.startsWith("Base"));
    EXPECT_TRUE(bytes.contains("\r\nDecimal"));
    EXPECT_TRUE(bytes.contains("\r\nOctal"));
    EXPECT_FALSE(bytes.contains("Hexadecimal"));
    EXPECT_EQ(form->pointer(), Pointer::Default);

    Button(*form, 8)->click();
    EXPECT_TRUE(clipboard.text.startsWith(QStringLiteral("Decimal")));
    EXPECT_EQ(clipboard.text.count(QStringLiteral("\r\n")), 2);

    app.dialogs.messages.clear();
    Button(*form, 5)->click();
    EXPECT_EQ(app.dialogs.texts().size(), 2);
    EXPECT_FALSE(form->SaveResultsAsExcelFileIsExcelInstalled());
}

TEST(Calculating, TheTwoMendedResults) {
    AppHarness app;
    auto form = app.start();
    Button(*form, 10)->click();
    app.dialogs.inputAnswers = {QStringLiteral("FFFFFFFFFFFFF, FFFFFFFFFFFFE")};
    Button(*form, 2)->click();
    Button(*form, 6)->click();
    Button(*form, 3)->click();
    ASSERT_EQ(form->results().count(), 4);
    for (int row = 0; row < 4; ++row) {
        EXPECT_EQ(form->results().row(row).cells[1], QStringLiteral("1")) << row;
    }

    Button(*form, 9)->click();  // Decimal on, list emptied
    app.dialogs.inputAnswers = {QStringLiteral("100,-4,8")};
    Button(*form, 2)->click();
    Button(*form, 6)->click();
    Button(*form, 3)->click();
    ASSERT_EQ(form->results().count(), 4);
    EXPECT_EQ(RowTexts(*form, 0), QStringList({"Decimal", "104", "96", "-3200", "-3.125"}));
}

TEST(Calculating, FewerThanTwoEntriesLeaveTheTableAlone) {
    AppHarness app;
    auto form = app.start();
    Button(*form, 9)->click();
    Button(*form, 3)->click();
    form->numbers().removeAt(1);
    Button(*form, 3)->click();
    EXPECT_EQ(form->results().count(), 4);
    EXPECT_EQ(app.dialogs.texts().last(), QStringLiteral("Must have a least 2 numbers."));
}

TEST(Calculating, WhileARunYieldsNothingChangesTheListOrTheBase) {
    AppHarness app;
    FakePump pump;
    auto form = app.start(&pump);
    Button(*form, 12)->click();  // Binary: 101, 111
    ASSERT_EQ(form->results().count(), 0);
    auto* list = List(*form, 1);
    list->setCurrentIndex(form->numbers().index(0));
    form->results().addRow(QStringLiteral("earlier"));

    bool acted = false;
    pump.onProcess = [&](int turn) {
        if (turn != 1) {
            return;
        }
        acted = true;
        EXPECT_TRUE(form->runUnderWay());
        EXPECT_FALSE(Button(*form, 3)->isEnabled());
        EXPECT_FALSE(Option(*form, Base::Octal)->isEnabled());
        EXPECT_TRUE(Button(*form, 7)->isEnabled());
        // Clicks on disabled controls, and the handlers called straight.
        Button(*form, 9)->click();
        Option(*form, Base::Octal)->click();
        form->PushButton9_Click();
        form->PushButton6_Click();
        form->PushButton1_Click();
        form->PushButton3_Click();
        // The busy-pointer guards.
        form->PushButton2_Click();
        form->ListView1_KeyDown(Qt::Key_Delete);
        form->ListView1_DblClick();
    };
    Button(*form, 3)->click();
    EXPECT_TRUE(acted);
    EXPECT_EQ(Entries(*form), QStringList({"101", "111"}));
    EXPECT_TRUE(Option(*form, Base::Binary)->isChecked());
    EXPECT_TRUE(app.dialogs.prompts.isEmpty());
    EXPECT_EQ(app.dialogs.texts(), QStringList({"Done."}));
    EXPECT_EQ(form->results().count(), 4);
    EXPECT_FALSE(form->runUnderWay());
    EXPECT_TRUE(Button(*form, 3)->isEnabled());
    EXPECT_TRUE(Option(*form, Base::Octal)->isEnabled());
}

TEST(Calculating, ClosingDuringARunStoresTheListAndEndsTheProgram) {
    AppHarness app;
    FakePump pump;
    auto form = app.start(&pump);
    Button(*form, 9)->click();
    pump.onProcess = [&](int turn) {
        if (turn == 1) {
            form->close();
        }
    };
    Button(*form, 3)->click();
    EXPECT_EQ(app.programEnds, 1);
    EXPECT_EQ(app.stored("Zip Codes").toString(), QStringLiteral("123;1000"));
    EXPECT_EQ(form->results().count(), 4);
}

// ---- A long run while the user presses everything ---------------------------------

// Entry k of the busy list, in hexadecimal so that every entry goes through
// the base conversion and the run yields often: 2, 0.5, -4 and -0.25 in turn,
// whose product is exactly 1, so the fold stays finite over any length while
// every entry still moves the sum.
struct BusyEntry {
    const char* hex;
    double value;
};
constexpr std::array<BusyEntry, 4> kBusyCycle{
    {{"2", 2.0}, {"0.8", 0.5}, {"-4", -4.0}, {"-0.4", -0.25}}};

// The four results of a list, folded here on their own: the first value
// seeds all four; later ones add, subtract, multiply, and divide when positive.
QStringList ExpectedRow(const std::vector<double>& values, Base base) {
    std::array<double, 4> acc{};
    acc.fill(values.front());
    for (std::size_t k = 1; k < values.size(); ++k) {
        const double x = values[k];
        acc[0] = x + acc[0];
        acc[1] = acc[1] - x;
        acc[2] = x * acc[2];
        if (x > 0) {
            acc[3] = acc[3] / x;
        }
    }
    QStringList row{BaseName(base)};
    for (double value : acc) {
        const std::string decimal = NumberToText(value);
        row << QString::fromStdString(
            base == Base::Decimal ? decimal : ConvertNumber(decimal, "10", RadixText(base)));
    }
    return row;
}

void PostDoubleClick(QAbstractItemView* view) {
    const QPointF at(5, 5);
    QCoreApplication::postEvent(
        view->viewport(), new QMouseEvent(QEvent::MouseButtonDblClick, at, view->mapToGlobal(at),
                                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
}

void PostDeleteKey(QAbstractItemView* view) {
    QCoreApplication::postEvent(view,
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier));
}

TEST(BusyRun, AMillionEntriesWhileTheUserPressesEverythingEndInOneConsistentTable) {
    constexpr int kEntries = 1'000'000;
    AppHarness app;
    KeepingClipboard clipboard;
    MissingSpreadsheets spreadsheets;
    app.clipboard = &clipboard;
    app.spreadsheets = &spreadsheets;
    // A turn every millisecond of work: however fast the machine gets
    // through the million entries, the run still has every turn scripted below.
    app.runYieldInterval = std::chrono::milliseconds(1);
    testing::ScriptedPump pump;
    auto form = app.start(&pump);
    auto* list = List(*form, 1);
    auto* table = Control<QTreeView>(*form, "ListView2");

    // An earlier run's rows, then the million entries in place of its list.
    Button(*form, 10)->click();
    Button(*form, 3)->click();
    ASSERT_EQ(form->results().count(), 4);
    form->results().setChecked(1, true);
    Button(*form, 2)->click();
    std::vector<std::string> entries;
    std::vector<double> values;
    entries.reserve(kEntries);
    values.reserve(kEntries);
    for (int k = 0; k < kEntries; ++k) {
        const BusyEntry& entry = kBusyCycle.at(static_cast<std::size_t>(k % 4));
        entries.emplace_back(entry.hex);
        values.push_back(entry.value);
    }
    form->numbers().appendMany(entries);
    const std::string listBefore = form->numbers().joined(';');
    const QByteArray stored = FileBytes(app.settingsFile());
    const QString listFile = app.temp.filePath(QStringLiteral("more.txt"));
    ASSERT_TRUE(WriteFile(listFile, "9\n"));
    const QString saved = app.temp.filePath(QStringLiteral("during.txt"));
    app.dialogs.messages.clear();
    pump.turns = 0;

    // Turn 1: everything that would change the list or the base, then the
    // results table and the three exports, which run in full.
    pump.at(1, [&] {
        EXPECT_TRUE(form->runUnderWay());
        list->setCurrentIndex(form->numbers().index(10));
        app.dialogs.inputAnswers = {QStringLiteral("77")};
        app.dialogs.openAnswers = {{listFile}};
        for (int button : {3, 6, 1, 9, 10, 11, 12, 2}) {
            Button(*form, button)->click();
        }
        for (Base base : kAllBases) {
            Option(*form, base)->click();
        }
        form->PushButton3_Click();
        form->PushButton6_Click();
        form->PushButton1_Click();
        form->PushButton9_Click();
        PostDeleteKey(list);
        PostDoubleClick(list);

        Button(*form, 7)->click();
        table->setCurrentIndex(form->results().index(0, 0));
        PostDoubleClick(table);
        app.dialogs.saveAnswers = {saved};
        for (int button : {4, 8, 5}) {
            Button(*form, button)->click();
        }
    });
    // Turn 2 (the events posted above arrive first): after the exports, the
    // removal and clearing guards once more, another run, another clearing.
    pump.at(2, [&] {
        EXPECT_EQ(form->pointer(), Pointer::Busy);
        Button(*form, 2)->click();
        form->ListView1_DblClick();
        form->ListView1_KeyDown(Qt::Key_Delete);
        PostDeleteKey(list);
        PostDoubleClick(list);
        Button(*form, 3)->click();
        Button(*form, 7)->click();
    });

    Button(*form, 3)->click();
    EXPECT_GE(pump.turns, pump.lastScriptedTurn() + 1) << "the run yielded too seldom";
    EXPECT_EQ(pump.played, pump.scripted());

    // One table: exactly this run's four rows, none left of the earlier run.
    ASSERT_EQ(form->results().count(), 4);
    for (Base base : kAllBases) {
        const int row = static_cast<int>(base);
        EXPECT_EQ(RowTexts(*form, row), ExpectedRow(values, base));
        EXPECT_FALSE(form->results().row(row).checked);
    }
    // The list exactly as it was, the base and the store untouched.
    EXPECT_EQ(form->numbers().count(), kEntries);
    EXPECT_TRUE(form->numbers().joined(';') == listBefore);
    EXPECT_TRUE(Option(*form, Base::Hexadecimal)->isChecked());
    EXPECT_EQ(FileBytes(app.settingsFile()), stored);
    EXPECT_TRUE(app.dialogs.prompts.isEmpty());

    // What the exports said and wrote while the table was empty, then "Done.".
    EXPECT_EQ(app.dialogs.texts(),
              QStringList({kNothingToCopyMessage, kNotInstalledCheckMessage,
                           kNotInstalledFeatureMessage, QStringLiteral("Done.")}));
    EXPECT_TRUE(FileBytes(saved).startsWith("Base"));
    EXPECT_EQ(FileBytes(saved).count("\r\n"), 1);

    EXPECT_FALSE(form->runUnderWay());
    EXPECT_EQ(form->pointer(), Pointer::Default);
    EXPECT_EQ(Control<QProgressBar>(*form, "ProgressBar1")->value(), 0);
    EXPECT_EQ(Control<QProgressBar>(*form, "ProgressBar1")->text(), QStringLiteral("Progress Bar"));
    EXPECT_TRUE(Answers(*form, app.dialogs));
}

}  // namespace
}  // namespace quillora
