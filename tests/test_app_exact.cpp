// The "Exact Results" window through the real Form1: how it opens, that every
// run fills it and leaves the results table as it was, the word and grouping
// choices and what of them a restart keeps, its three exports, and its look.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

#include <gmpxx.h>

#include "calc/CalculationRun.h"
#include "export/ClipboardExport.h"
#include "export/Spreadsheet.h"
#include "input/NumberListModel.h"
#include "support/AppHarness.h"
#include "support/ExportFixture.h"
#include "support/PixelContrast.h"
#include "support/QStringPrinting.h"
#include "support/WindowChecks.h"

namespace quillora {
namespace {

using namespace quillora::testing;

QWidget* ExactWindow(Form1& form) {
    return Control<QWidget>(form, "ExactResultsWindow");
}

// A fresh list of the entries in base, typed in as the user would.
void TypeList(AppHarness& app, Form1& form, Base base, const QString& entries) {
    Button(form, 9 + static_cast<int>(base))->click();  // the base's samples select it
    Button(form, 2)->click();                           // "Clear List"
    app.dialogs.inputAnswers = {entries};
    Button(form, 6)->click();
}

void Calculate(AppHarness& app, Form1& form, Base base, const QString& entries) {
    TypeList(app, form, base, entries);
    Button(form, 3)->click();
}

// The exact table's cell of a row and an operation (1 to 4).
QString ExactCell(Form1& form, Base row, int operation) {
    return form.exactResults().table().text(static_cast<int>(row), operation);
}

void ChooseWord(Form1& form, const char* choice) {
    Control<QComboBox>(*ExactWindow(form), "ExactWord")
        ->setCurrentText(QString::fromLatin1(choice));
}

// ---- Opening ---------------------------------------------------------------

TEST(ExactWindow, CtrlEAndTheResultsTablesMenuOpenItAndEscapeClosesIt) {
    AppHarness app;
    auto form = app.start();
    form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    QWidget* exact = ExactWindow(*form);
    ASSERT_NE(exact, nullptr);
    EXPECT_FALSE(exact->isVisible());
    EXPECT_EQ(exact->windowTitle(), QStringLiteral("Exact Results"));
    EXPECT_NE(exact->findChild<QTreeView*>(QStringLiteral("ExactResultsView")), nullptr);

    QTest::keyClick(List(*form, 1), Qt::Key_E, Qt::ControlModifier);  // wherever the focus is
    EXPECT_TRUE(exact->isVisible());
    ASSERT_TRUE(QTest::qWaitForWindowActive(exact));
    QTest::keyClick(exact->findChild<QComboBox*>(), Qt::Key_Escape);
    EXPECT_FALSE(exact->isVisible());

    QAbstractItemView* results = List(*form, 2);
    EXPECT_EQ(results->contextMenuPolicy(), Qt::ActionsContextMenu);
    ASSERT_EQ(results->actions().size(), 1);
    QAction* menuItem = results->actions().front();
    EXPECT_EQ(menuItem->text(), QStringLiteral("Exact Results…"));
    menuItem->trigger();
    EXPECT_TRUE(exact->isVisible());
}

// ---- What a run puts in it -------------------------------------------------

TEST(ExactWindow, EveryRunFillsItOpenOrNotBesideAnUnchangedResultsTable) {
    AppHarness app;
    auto form = app.start();
    EXPECT_EQ(form->exactResults().table().count(), 0);  // before any run

    Calculate(app, *form, Base::Hexadecimal, QStringLiteral("FFFFFFFFFFFFFFFF,1"));
    EXPECT_EQ(RowTexts(*form, 1).at(1), QStringLiteral("1000000000000BD00"));  // as it always was
    EXPECT_EQ(ExactCell(*form, Base::Hexadecimal, 1), QStringLiteral("10000000000000000"));
    EXPECT_EQ(ExactCell(*form, Base::Decimal, 1), QStringLiteral("18446744073709551616"));
    EXPECT_EQ(ExactCell(*form, Base::Hexadecimal, 2), QStringLiteral("FFFFFFFFFFFFFFFE"));

    form->exactResults().open();
    Calculate(app, *form, Base::Decimal, QStringLiteral("9007199254740992,1,3"));
    EXPECT_EQ(ExactCell(*form, Base::Decimal, 1), QStringLiteral("9007199254740996"));
    EXPECT_EQ(ExactCell(*form, Base::Hexadecimal, 1), QStringLiteral("20000000000004"));
    // 2^53 / 1 / 3, rounded to 64 digits and marked, its fraction in the tool tip.
    const QString third = ExactCell(*form, Base::Decimal, 4);
    EXPECT_TRUE(third.startsWith(QStringLiteral("3002399751580330.666"))) << third.toStdString();
    EXPECT_TRUE(third.endsWith(QStringLiteral("…"))) << third.toStdString();
    EXPECT_EQ(form->exactResults().table().data(form->exactResults().table().index(0, 4),
                                                Qt::ToolTipRole),
              QStringLiteral("9007199254740992/3"));
    // Every message the two runs gave is the run's own.
    for (const auto& message : app.dialogs.messages) {
        EXPECT_EQ(message.text, QStringLiteral("Done."));
    }
}

// A run without the exact window's sink, straight through the calc room.
std::vector<QStringList> PlainRun(const std::vector<std::string>& entries, Base base) {
    NumberListModel list;
    list.appendMany(entries);
    const FakeBaseFlags flags(base);
    ResultsTableModel results;
    FakeWindow window;
    RunCalculation({list, flags, results, window.ports()});
    std::vector<QStringList> rows;
    for (int r = 0; r < results.count(); ++r) {
        const ResultRow& row = results.row(r);
        rows.push_back({row.base, row.cells[0], row.cells[1], row.cells[2], row.cells[3]});
    }
    return rows;
}

QString Upper(const mpz_class& value, int radix) {
    return QString::fromStdString(value.get_str(radix)).toUpper();
}

// Random whole lists in every base: the whole results in every row are GMP's,
// and the results table is what a run without the exact window gives.
TEST(ExactWindow, RandomListsGiveGmpsWholeResultsAndLeaveTheTableAsItWas) {
    AppHarness app;
    auto form = app.start();
    std::mt19937_64 random(20261209);
    for (int round = 0; round < 24; ++round) {
        const Base base = kAllBases.at(static_cast<std::size_t>(round % 4));
        const int radix = Radix(base);
        const int count = 2 + static_cast<int>(random() % 49);
        std::vector<std::string> entries;
        QStringList typed;
        mpz_class sum, difference, product;
        for (int i = 0; i < count; ++i) {
            mpz_class value(static_cast<unsigned long>(random() >> (random() % 64)));
            if (base == Base::Decimal && random() % 3 == 0) {
                value = -value;
            }
            entries.push_back(Upper(value, radix).toStdString());
            typed << QString::fromStdString(entries.back());
            if (i == 0) {
                sum = difference = product = value;
            } else {
                sum += value;
                difference -= value;
                product *= value;
            }
        }
        SCOPED_TRACE(typed.join(QLatin1Char(',')).toStdString());
        Calculate(app, *form, base, typed.join(QLatin1Char(',')));
        for (Base row : kAllBases) {
            EXPECT_EQ(ExactCell(*form, row, 1), Upper(sum, Radix(row)));
            EXPECT_EQ(ExactCell(*form, row, 2), Upper(difference, Radix(row)));
            EXPECT_EQ(ExactCell(*form, row, 3), Upper(product, Radix(row)));
        }
        const std::vector<QStringList> plain = PlainRun(entries, base);
        ASSERT_EQ(plain.size(), 4u);
        for (int row = 0; row < 4; ++row) {
            EXPECT_EQ(RowTexts(*form, row), plain.at(static_cast<std::size_t>(row)));
        }
    }
}

// ---- Word, grouping and what a restart keeps ------------------------------

TEST(ExactWindow, TheWordAndGroupingRewriteTheCellsAndARestartKeepsThem) {
    AppHarness app;
    auto form = app.start();
    form->show();
    Calculate(app, *form, Base::Decimal, QStringLiteral("0,4"));
    EXPECT_EQ(ExactCell(*form, Base::Hexadecimal, 2), QStringLiteral("-4"));
    form->exactResults().table().setChecked(1, true);

    ChooseWord(*form, "32 bits");
    EXPECT_EQ(ExactCell(*form, Base::Hexadecimal, 2), QStringLiteral("FFFFFFFC"));
    EXPECT_EQ(ExactCell(*form, Base::Octal, 2), QStringLiteral("37777777774"));
    EXPECT_EQ(ExactCell(*form, Base::Binary, 2),
              QStringLiteral("11111111111111111111111111111100"));
    EXPECT_EQ(ExactCell(*form, Base::Decimal, 2), QStringLiteral("-4"));  // the Decimal row stays
    Control<QCheckBox>(*ExactWindow(*form), "ExactGroupDigits")->setChecked(true);
    EXPECT_EQ(ExactCell(*form, Base::Hexadecimal, 2), QStringLiteral("FFFF FFFC"));
    EXPECT_TRUE(form->exactResults().table().row(1).checked);  // ticks stay through a new view

    const QRect place(140, 160, 640, 280);
    form->exactResults().open();
    form->exactResults().setGeometry(place);
    form = app.restart(std::move(form));
    form->show();
    QWidget* exact = ExactWindow(*form);
    EXPECT_TRUE(exact->isVisible());
    EXPECT_EQ(exact->geometry(), place);
    EXPECT_EQ(Control<QComboBox>(*exact, "ExactWord")->currentText(), QStringLiteral("32 bits"));
    EXPECT_TRUE(Control<QCheckBox>(*exact, "ExactGroupDigits")->isChecked());
    EXPECT_EQ(form->exactResults().table().count(), 0);  // no run yet in this start
    EXPECT_EQ(app.stored(QStringLiteral("Exact Results Word")).toString(), "32 bits");

    exact->close();  // closed by the user: the next start leaves it closed
    form = app.restart(std::move(form));
    form->show();
    EXPECT_FALSE(ExactWindow(*form)->isVisible());
}

TEST(ExactWindow, AStoreThatNeverSawTheWindowGetsNoneOfItsKeys) {
    AppHarness app;
    app.store({{"Zip Codes", "1;2"}});
    const QByteArray before = FileBytes(app.settingsFile());
    auto form = app.start();
    Button(*form, 3)->click();  // a run fills the window unseen
    form->close();
    EXPECT_EQ(FileBytes(app.settingsFile()), before);

    app.store({{"Exact Results Word", "nonsense"}, {"Exact Results Group Digits", "maybe"}});
    app.dialogs.messages.clear();
    form = app.start();
    EXPECT_EQ(form->exactResults().view(), ExactView{});
    EXPECT_TRUE(app.dialogs.messages.empty());  // defaults, without a word
}

// ---- Exports ---------------------------------------------------------------

// Keeps every cell it is handed and how.
class CellsSheet : public Spreadsheet {
  public:
    explicit CellsSheet(std::vector<std::pair<QString, CellReading>>& cells) : cells_(cells) {}
    void startApplication() override {}
    void addWorkbook() override {}
    void useActiveSheet() override {}
    void setCellText(int, int, const QString& text, CellReading reading) override {
        cells_.emplace_back(text, reading);
    }
    void autoFitColumn(int) override {}
    void autoFitAllColumns() override {}
    void makeVisible() override {}

  private:
    std::vector<std::pair<QString, CellReading>>& cells_;
};

class CellsSheets : public SpreadsheetProvider {
  public:
    bool available() override { return true; }
    std::unique_ptr<Spreadsheet> create() override { return std::make_unique<CellsSheet>(cells); }
    std::vector<std::pair<QString, CellReading>> cells;
};

TEST(ExactWindow, ARoundedResultKeepsItsMarkInTheTextFile) {
    AppHarness app;
    auto form = app.start();
    Calculate(app, *form, Base::Decimal, QStringLiteral("1,3"));
    form->exactResults().table().setChecked(0, true);
    const QString file = app.temp.filePath(QStringLiteral("third.txt"));
    app.dialogs.saveAnswers.push_back(file);
    Control<QPushButton>(*ExactWindow(*form), "ExactSaveText")->click();
    // UTF-8 where Latin-1 would have written "?" for the mark.
    const QByteArray text = FileBytes(file);
    EXPECT_TRUE(text.contains("\t0." + QByteArray(64, '3') + "\xE2\x80\xA6")) << text.constData();
    EXPECT_FALSE(text.contains('?'));
}

TEST(ExactWindow, EachExportTakesTheExactTextsOfItsTickedRows) {
    AppHarness app;
    KeepingClipboard clipboard;
    CellsSheets sheets;
    app.clipboard = &clipboard;
    app.spreadsheets = &sheets;
    auto form = app.start();
    form->show();
    Calculate(app, *form, Base::Decimal, QStringLiteral("9007199254740993,1"));
    form->exactResults().open();
    form->exactResults().table().setChecked(0, true);
    form->results().setChecked(1, true);  // the results table's ticks are its own
    QWidget* exact = ExactWindow(*form);

    const QString file = app.temp.filePath(QStringLiteral("exact.txt"));
    app.dialogs.saveAnswers.push_back(file);
    Control<QPushButton>(*exact, "ExactSaveText")->click();
    const QByteArray text = FileBytes(file);
    EXPECT_TRUE(text.startsWith("Base")) << text.constData();
    EXPECT_TRUE(text.contains("\r\nDecimal    \t9007199254740994 ")) << text.constData();
    EXPECT_TRUE(text.contains("\t9007199254740993 ")) << text.constData();
    EXPECT_FALSE(text.contains("Hexadecimal"));

    Control<QPushButton>(*exact, "ExactCopy")->click();
    EXPECT_TRUE(clipboard.text.startsWith(QStringLiteral("Decimal    \t9007199254740994")))
        << clipboard.text.toStdString();
    EXPECT_EQ(clipboard.text.count(QStringLiteral("\r\n")), 1);

    Control<QPushButton>(*exact, "ExactOpenInCalc")->click();
    const auto found = std::find_if(sheets.cells.begin(), sheets.cells.end(), [](const auto& cell) {
        return cell.first == QStringLiteral("9007199254740994");
    });
    ASSERT_NE(found, sheets.cells.end());
    EXPECT_TRUE(form->results().row(1).checked);
    EXPECT_FALSE(form->results().row(0).checked);
}

// ---- Look ------------------------------------------------------------------

TEST(ExactWindow, ADarkPaletteLeavesItsCellsReadable) {
    const QPalette saved = QApplication::palette();
    QApplication::setPalette(DarkFusionPalette());
    {
        AppHarness app;
        auto form = app.start();
        form->show();
        Calculate(app, *form, Base::Hexadecimal, QStringLiteral("FF,1"));
        form->exactResults().open();
        QCoreApplication::processEvents();
        auto* view = ExactWindow(*form)->findChild<QTreeView*>(QStringLiteral("ExactResultsView"));
        ASSERT_NE(view, nullptr);
        const QImage shot = view->viewport()->grab().toImage();
        const QRect cell = view->visualRect(form->exactResults().table().index(0, 1));
        const Reading reading = Read(shot, cell);
        EXPECT_GE(reading.ratio, 4.5) << std::hex << reading.ground << " " << reading.ink;
        EXPECT_LT(Luminance(reading.ground), 0.2);  // the dark scheme's own ground
    }
    QApplication::setPalette(saved);
}

}  // namespace
}  // namespace quillora
