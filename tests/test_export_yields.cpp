// The real Form1, offscreen, while an export yields: adding numbers, the four
// sample buttons and list files work under the export's hourglass, removal and
// "Clear List" do nothing, and inside a calculation run nothing changes the
// list or the base, exports pressed in the run's yields included. The
// spreadsheet is a recording fake, and once the real LibreOffice while it starts.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeView>

#include "export/CalcPlugin.h"
#include "export/LibreOfficeSpreadsheet.h"
#include "support/AppHarness.h"
#include "support/HeadlessOffice.h"
#include "support/QStringPrinting.h"

// The UNO runtime keeps its bootstrap data and type descriptions for the life
// of the process on purpose, and allocates them only inside its own libraries.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libuno_sal.so\nleak:libuno_cppu.so\n";
}

namespace quillora {
namespace {

using namespace std::chrono_literals;
using namespace quillora::testing;

QString WriteListFile(AppHarness& app, const QByteArray& bytes) {
    const QString path = app.temp.filePath(QStringLiteral("list.txt"));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
}

// Selects the first entry and tries every way of taking entries out.
void TryRemovingAndClearing(Form1& form) {
    auto* list = List(form, 1);
    list->setCurrentIndex(form.numbers().index(0));
    QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    QCoreApplication::sendEvent(list, &del);
    QMouseEvent doubleClick(QEvent::MouseButtonDblClick, QPointF(5, 5), QPointF(5, 5),
                            Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list->viewport(), &doubleClick);
    Button(form, 2)->click();
}

// Plays the user's presses in the turns of the export's yields, one step a
// turn, checking what each did while the export still holds the hourglass.
// Starts from the decimal samples 123 and 1000.
class PressesDuringExport {
  public:
    PressesDuringExport(AppHarness& app, Form1& form, FakePump& pump) : app_(app), form_(form) {
        const QString file = WriteListFile(app, "9\nx\n10");
        steps_ = {
            {"removal and Clear List",
             [this] {
                 TryRemovingAndClearing(form_);
                 return QStringList({"123", "1000"});
             }},
            {"Add Number or Numbers",
             [this] {
                 app_.dialogs.inputAnswers = {QStringLiteral("7, x, 8")};
                 Button(form_, 6)->click();
                 return QStringList({"123", "1000", "7", "8"});
             }},
            {"Load Numbers From File",
             [this, file] {
                 app_.dialogs.openAnswers = {{file}};
                 Button(form_, 1)->click();
                 return QStringList({"123", "1000", "7", "8", "9", "10"});
             }},
            {"Load Sample/Example Hexs",
             [this] {
                 Button(form_, 10)->click();
                 EXPECT_TRUE(Option(form_, Base::Hexadecimal)->isChecked());
                 return QStringList({"a36", "a35"});
             }},
            {"Load Sample/Example Octals",
             [this] {
                 Button(form_, 11)->click();
                 return QStringList({"112", "020"});
             }},
            {"Load Sample/Example Binary",
             [this] {
                 Button(form_, 12)->click();
                 return QStringList({"101", "111"});
             }},
            {"Load Sample/Example Decimals",
             [this] {
                 Button(form_, 9)->click();
                 EXPECT_TRUE(Option(form_, Base::Decimal)->isChecked());
                 return QStringList({"123", "1000"});
             }},
        };
        pump.onProcess = [this](int) { playNext(); };
    }

    void expectAllPlayed() const {
        EXPECT_EQ(played_, steps_.size());
        EXPECT_EQ(app_.dialogs.prompts,
                  QStringList{QStringLiteral("Enter number or numbers (use commas):")});
        EXPECT_EQ(form_.pointer(), Pointer::Default);
        EXPECT_EQ(Entries(form_), QStringList({"123", "1000"}));
    }

  private:
    void playNext() {
        if (played_ == steps_.size()) {
            return;
        }
        const auto& [what, step] = steps_[played_++];
        SCOPED_TRACE(what);
        EXPECT_EQ(form_.pointer(), Pointer::Busy);
        EXPECT_EQ(Entries(form_), step());
        EXPECT_EQ(form_.pointer(), Pointer::Busy);  // still the export's
    }

    AppHarness& app_;
    Form1& form_;
    std::vector<std::pair<const char*, std::function<QStringList()>>> steps_;
    std::size_t played_ = 0;
};

// Records the operations; creating it starts nothing.
class RecordingSpreadsheet : public Spreadsheet {
  public:
    explicit RecordingSpreadsheet(Journal& journal) : journal_(journal) {}
    void startApplication() override { journal_.push_back("start"); }
    void addWorkbook() override { journal_.push_back("workbook"); }
    void useActiveSheet() override { journal_.push_back("sheet"); }
    void setCellText(int row, int column, const QString& text, CellReading) override {
        journal_.push_back("cell " + std::to_string(row) + "," + std::to_string(column) + " " +
                           text.toStdString());
    }
    void autoFitColumn(int) override { journal_.push_back("fit"); }
    void autoFitAllColumns() override { journal_.push_back("fit all"); }
    void makeVisible() override { journal_.push_back("visible"); }

  private:
    Journal& journal_;
};

class RecordingProvider : public SpreadsheetProvider {
  public:
    bool available() override { return true; }
    std::unique_ptr<Spreadsheet> create() override {
        return std::make_unique<RecordingSpreadsheet>(journal);
    }
    Journal journal;
};

TEST(SpreadsheetExportYields, AddingTheSamplesAndLoadingWorkWhileRemovalAndClearingWait) {
    AppHarness app;
    FakePump pump;
    RecordingProvider provider;
    app.spreadsheets = &provider;
    auto form = app.start(&pump);
    CalculateTickedResults(*form);
    app.dialogs.messages.clear();

    PressesDuringExport presses(app, *form, pump);
    Button(*form, 5)->click();
    presses.expectAllPlayed();
    EXPECT_TRUE(app.dialogs.messages.empty()) << app.dialogs.texts().join('|').toStdString();
    // The export itself took no notice: all four rows, then shown.
    EXPECT_EQ(provider.journal.back(), "visible");
    EXPECT_NE(std::find(provider.journal.begin(), provider.journal.end(), "cell 5,1 Binary"),
              provider.journal.end());
    EXPECT_EQ(form->results().count(), 4);
}

TEST(TextExportYields, AddingTheSamplesAndLoadingWorkWhileRemovalAndClearingWait) {
    AppHarness app;
    FakePump pump;
    auto form = app.start(&pump);
    CalculateTickedResults(*form);
    app.dialogs.messages.clear();

    PressesDuringExport presses(app, *form, pump);
    const QString file = app.temp.filePath(QStringLiteral("results.txt"));
    app.dialogs.saveAnswers.push_back(file);
    Button(*form, 4)->click();
    presses.expectAllPlayed();
    EXPECT_TRUE(app.dialogs.messages.empty()) << app.dialogs.texts().join('|').toStdString();
    QFile written(file);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll().count("\r\n"), 5);
}

TEST(RunYields, AnExportPressedInARunsYieldLetsNothingChangeTheListOrTheBase) {
    AppHarness app;
    FakePump pump;
    auto form = app.start(&pump);
    Button(*form, 12)->click();  // Binary: 101, 111
    const QString file = WriteListFile(app, "1\n");
    app.dialogs.saveAnswers.push_back(app.temp.filePath(QStringLiteral("during-run.txt")));

    bool exportPressed = false;
    bool tried = false;
    pump.onProcess = [&](int) {
        if (!form->runUnderWay() || tried) {
            return;
        }
        if (!exportPressed) {
            exportPressed = true;
            Button(*form, 4)->click();  // yields in turn, into this again
            return;
        }
        tried = true;
        EXPECT_EQ(form->pointer(), Pointer::Busy);
        app.dialogs.inputAnswers = {QStringLiteral("1")};
        app.dialogs.openAnswers = {{file}};
        // The buttons are off during a run; their handlers refuse as well.
        for (int button : {6, 1, 9, 10, 11, 12}) {
            Button(*form, button)->click();
        }
        form->PushButton6_Click();
        form->PushButton1_Click();
        form->PushButton10_Click();
        Option(*form, Base::Octal)->click();
        TryRemovingAndClearing(*form);
    };
    Button(*form, 3)->click();
    EXPECT_TRUE(exportPressed);
    EXPECT_TRUE(tried);
    EXPECT_EQ(Entries(*form), QStringList({"101", "111"}));
    EXPECT_TRUE(Option(*form, Base::Binary)->isChecked());
    EXPECT_TRUE(app.dialogs.prompts.isEmpty());
    EXPECT_EQ(form->results().count(), 4);
    EXPECT_EQ(form->pointer(), Pointer::Default);
}

// The real LibreOffice, slow as it is while it starts: "Add Number or Numbers"
// pressed during the export's wait for it opens the input box and adds.
TEST(SpreadsheetExportYields, AddingWorksWhileTheRealLibreOfficeStarts) {
    if (!HeadlessOffice::Installed()) {
        GTEST_SKIP() << "LibreOffice is not installed";
    }
    ASSERT_TRUE(CalcPlugin::instance().loaded())
        << CalcPlugin::instance().errorString().toStdString();
    HeadlessOffice office(150s);
    // A fresh profile's first start ends at once, asking to be started again
    // (status 81); the start the export waits for is that second one, whose
    // profile is made, so it is not cut short after accepting the connection.
    const int firstStart = office.waitForExit(60s);
    ASSERT_TRUE(firstStart == 81 || firstStart == 0) << "soffice.bin ended with " << firstStart;
    office.restart();

    AppHarness app;
    FakePump pump;
    LibreOfficeOptions options;
    options.pipeName = QString::fromStdString(office.pipe());
    options.launchOffice = false;
    options.connectLimit = 60s;
    options.callLimit = 20s;
    LibreOfficeProvider provider(&pump, options);
    app.spreadsheets = &provider;
    auto form = app.start(&pump);
    CalculateTickedResults(*form);
    app.dialogs.messages.clear();

    bool pressed = false;
    pump.onProcess = [&](int) {
        if (pressed) {
            return;
        }
        // The first yield is inside the wait for the office to answer.
        pressed = true;
        EXPECT_EQ(form->pointer(), Pointer::Busy);
        app.dialogs.inputAnswers = {QStringLiteral("5, 6")};
        Button(*form, 6)->click();
    };
    Button(*form, 5)->click();
    EXPECT_TRUE(pressed);
    EXPECT_EQ(app.dialogs.prompts,
              QStringList{QStringLiteral("Enter number or numbers (use commas):")});
    EXPECT_EQ(Entries(*form), QStringList({"123", "1000", "5", "6"}));
    EXPECT_TRUE(app.dialogs.messages.empty()) << app.dialogs.texts().join('|').toStdString();
    EXPECT_EQ(form->pointer(), Pointer::Default);
}

}  // namespace
}  // namespace quillora
