#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <iostream>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <QDir>
#include <QFileInfo>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "export/CalcPlugin.h"
#include "export/DeadlineWorker.h"
#include "export/LibreOfficeSpreadsheet.h"
#include "export/SpreadsheetExport.h"
#include "support/ExportFixture.h"
#include "support/HeadlessOffice.h"

// The UNO runtime keeps its bootstrap data and type descriptions for the life
// of the process on purpose, and allocates them only inside its own libraries.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libuno_sal.so\nleak:libuno_cppu.so\n";
}

using namespace quillora;
using namespace quillora::testing;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using namespace std::chrono_literals;

namespace {

// Records every operation as text; one operation can be made to fail.
class RecordingSpreadsheet : public Spreadsheet {
  public:
    explicit RecordingSpreadsheet(Journal& journal) : journal_(journal) {}

    void startApplication() override { note("start"); }
    void addWorkbook() override { note("workbook"); }
    void useActiveSheet() override { note("sheet"); }
    void setCellText(int row, int column, const QString& text, CellReading reading) override {
        note("cell " + std::to_string(row) + "," + std::to_string(column) + " " +
             text.toStdString() + (reading == CellReading::NumberIfNumeric ? " #" : ""));
    }
    void autoFitColumn(int column) override { note("fit " + std::to_string(column)); }
    void autoFitAllColumns() override { note("fit all"); }
    void makeVisible() override { note("visible"); }

    std::string failing;

  private:
    void note(const std::string& entry) {
        if (!failing.empty() && entry.starts_with(failing)) {
            throw std::runtime_error("LibreOffice did not answer within 15 seconds");
        }
        journal_.push_back(entry);
    }
    Journal& journal_;
};

class RecordingProvider : public SpreadsheetProvider {
  public:
    bool available() override { return installed; }
    std::unique_ptr<Spreadsheet> create() override {
        ++created;
        auto sheet = std::make_unique<RecordingSpreadsheet>(journal);
        sheet->failing = failing;
        return sheet;
    }
    bool installed = true;
    int created = 0;
    std::string failing;
    Journal journal;
};

std::vector<std::string> Cells(const Journal& journal) {
    std::vector<std::string> cells;
    for (const std::string& entry : journal) {
        if (entry.starts_with("cell ")) {
            cells.push_back(entry);
        }
    }
    return cells;
}

TEST_F(ExportTest, SpreadsheetGetsHeadersThenTickedRowsInTheirOwnSheetRows) {
    FillExample(table, false);
    table.setChecked(0, true);
    table.setChecked(2, true);
    RecordingProvider provider;
    SaveResultsToSpreadsheet(context(), provider);

    const Journal& ops = provider.journal;
    ASSERT_GE(ops.size(), 4u);
    EXPECT_THAT(std::vector<std::string>(ops.begin(), ops.begin() + 5),
                ElementsAre("start", "workbook", "sheet", "cell 1,1 Base", "fit 1"));
    EXPECT_THAT(std::vector<std::string>(ops.end() - 2, ops.end()),
                ElementsAre("fit all", "visible"));
    EXPECT_THAT(
        Cells(ops),
        ElementsAre("cell 1,1 Base", "cell 1,2 Addition", "cell 1,3 Subtraction",
                    "cell 1,4 Multiplication", "cell 1,5 Division", "cell 2,1 Decimal",
                    "cell 2,2 15 #", "cell 2,3 5 #", "cell 2,4 50 #", "cell 2,5 2 #",
                    "cell 4,1 Octal", "cell 4,2 17", "cell 4,3 5", "cell 4,4 62", "cell 4,5 2"));
    EXPECT_THAT(pointer.history, ElementsAre(Pointer::Busy, Pointer::Default));
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(report.failures.empty());
}

TEST_F(ExportTest, SpreadsheetLosesEveryEqualsSignOfTheResultsOnly) {
    FillExample(table);
    table.setHeaderText(1, QStringLiteral("=Sum"));
    table.setCell(2, 1, QStringLiteral("=1+=1="));
    const int row = table.addRow(QStringLiteral("=Own"));
    table.setCell(row, 4, QStringLiteral("=HYPERLINK(\"x\")"));
    table.setChecked(row, true);
    RecordingProvider provider;
    SaveResultsToSpreadsheet(context(), provider);
    const std::vector<std::string> cells = Cells(provider.journal);
    EXPECT_THAT(cells, ::testing::Contains("cell 1,2 =Sum"));
    EXPECT_THAT(cells, ::testing::Contains("cell 4,2 1+1"));
    EXPECT_THAT(cells, ::testing::Contains("cell 6,1 =Own"));
    EXPECT_THAT(cells, ::testing::Contains("cell 6,5 HYPERLINK(\"x\")"));
}

TEST_F(ExportTest, SpreadsheetMissingGivesTheTwoMessagesAndNothingElse) {
    FillExample(table);
    RecordingProvider provider;
    provider.installed = false;
    SaveResultsToSpreadsheet(context(), provider);
    EXPECT_EQ(dialogs.texts(),
              (QStringList{"Excel is not installed on this computer. You need to have it installed "
                           "to use this software without error.",
                           "Excel is not installed on this computer. You need to have it installed "
                           "to use this feature."}));
    EXPECT_EQ(provider.created, 0);
    EXPECT_TRUE(pointer.history.empty());
}

TEST_F(ExportTest, SpreadsheetOfEmptyTableOpensNothingAndSaysNothing) {
    RecordingProvider provider;
    SaveResultsToSpreadsheet(context(), provider);
    EXPECT_EQ(provider.created, 0);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(pointer.history.empty());
}

TEST_F(ExportTest, SpreadsheetWithNoTickedRowHasTheHeaderRowAlone) {
    FillExample(table, false);
    RecordingProvider provider;
    SaveResultsToSpreadsheet(context(), provider);
    EXPECT_EQ(Cells(provider.journal).size(), 5u);
    EXPECT_EQ(provider.journal.back(), "visible");
    EXPECT_THAT(provider.journal, ::testing::Contains("fit all"));
}

TEST_F(ExportTest, SpreadsheetStepFailuresAreReportedAndTheHandlerGoesOn) {
    FillExample(table);
    RecordingProvider provider;
    provider.failing = "cell 3,";  // every cell of the Hexadecimal row
    SaveResultsToSpreadsheet(context(), provider);
    ASSERT_EQ(report.failures.size(), 5u);
    EXPECT_THAT(report.labels(), ::testing::Each(148));
    EXPECT_EQ(report.failures.front().location, "in Marrowfen2021/08/31.Form1.PushButton5_Click ");
    EXPECT_EQ(report.failures.front().description, "LibreOffice did not answer within 15 seconds");
    EXPECT_THAT(Cells(provider.journal), ::testing::Contains("cell 5,1 Binary"));
    EXPECT_EQ(provider.journal.back(), "visible");
    EXPECT_THAT(pointer.history, ElementsAre(Pointer::Busy, Pointer::Default));
}

// ---------------------------------------------------------------- LibreOffice client

// What a fake office session saw; shared, since a session given up on may
// outlive the test's own handle on it.
struct SessionLog {
    std::mutex mutex;
    std::vector<std::string> calls;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::atomic<bool> destroyed = false;
    std::string hangOn;

    void add(const std::string& call) {
        std::lock_guard lock(mutex);
        calls.push_back(call);
    }
};

class FakeSession : public calc_plugin::CalcSession {
  public:
    explicit FakeSession(std::shared_ptr<SessionLog> log) : log_(std::move(log)) {}
    ~FakeSession() override { log_->destroyed = true; }

    void connect(const calc_plugin::ConnectRequest& r) override {
        call("connect " + r.pipeName + (r.launchOffice ? " launch" : ""));
    }
    void addWorkbook() override { call("workbook"); }
    void useActiveSheet() override { call("sheet"); }
    void setCellText(int row, int column, const std::string& utf8) override {
        call("text " + std::to_string(row) + "," + std::to_string(column) + " " + utf8);
    }
    void setCellNumber(int row, int column, double value) override {
        call("number " + std::to_string(row) + "," + std::to_string(column) + " " +
             QString::number(value, 'g', 17).toStdString());
    }
    void autoFitColumn(int column) override { call("fit " + std::to_string(column)); }
    void autoFitAllColumns() override { call("fit all"); }
    void makeVisible() override { call("visible"); }
    bool attachUntitledWorkbook() override { return false; }
    calc_plugin::CellContent cell(int, int) override { return {}; }
    int columnWidth(int) override { return 0; }
    bool workbookUntitledAndModified() override { return false; }
    void closeWorkbookWithoutSaving() override {}
    bool terminateOffice() override { return false; }

  private:
    void call(const std::string& what) {
        if (!log_->hangOn.empty() && what.starts_with(log_->hangOn)) {
            log_->released.wait();
        }
        log_->add(what);
    }
    std::shared_ptr<SessionLog> log_;
};

LibreOfficeOptions FastOptions() {
    LibreOfficeOptions options;
    options.pipeName = QStringLiteral("test-pipe");
    options.launchOffice = false;
    options.connectLimit = 2s;
    options.callLimit = 300ms;
    return options;
}

TEST(LibreOfficeClient, OnlyNumericDecimalResultsBecomeNumbers) {
    auto log = std::make_shared<SessionLog>();
    {
        LibreOfficeSpreadsheet sheet(std::make_unique<FakeSession>(log), FastOptions(), nullptr);
        sheet.startApplication();
        const QString fiftyOnes(50, QLatin1Char('1'));
        sheet.setCellText(2, 2, "15", CellReading::NumberIfNumeric);
        sheet.setCellText(2, 3, "-3200.5", CellReading::NumberIfNumeric);
        sheet.setCellText(2, 4, "1E+15", CellReading::NumberIfNumeric);
        sheet.setCellText(2, 5, "Infinity", CellReading::NumberIfNumeric);
        sheet.setCellText(3, 2, "101", CellReading::Text);
        sheet.setCellText(4, 2, fiftyOnes, CellReading::Text);
        sheet.setCellText(5, 2, "=1+1", CellReading::Text);
    }
    EXPECT_THAT(log->calls,
                ElementsAre("connect test-pipe", "number 2,2 15", "number 2,3 -3200.5",
                            "number 2,4 1000000000000000", "text 2,5 Infinity", "text 3,2 101",
                            "text 4,2 " + std::string(50, '1'), "text 5,2 =1+1"));
    EXPECT_TRUE(log->destroyed);
}

// An exact result's digits past what a double holds would be lost in a
// number cell, so such a text stays text; the run's texts always come back.
TEST(LibreOfficeClient, DigitsADoubleCannotGiveBackStayText) {
    auto log = std::make_shared<SessionLog>();
    {
        LibreOfficeSpreadsheet sheet(std::make_unique<FakeSession>(log), FastOptions(), nullptr);
        sheet.startApplication();
        sheet.setCellText(2, 2, "9007199254740993", CellReading::NumberIfNumeric);
        sheet.setCellText(2, 3, "0.5", CellReading::NumberIfNumeric);
        sheet.setCellText(2, 4, "4.50359962737049E+15", CellReading::NumberIfNumeric);
        sheet.setCellText(2, 5, "1 024", CellReading::NumberIfNumeric);
    }
    EXPECT_THAT(log->calls,
                ElementsAre("connect test-pipe", "text 2,2 9007199254740993", "number 2,3 0.5",
                            "number 2,4 4503599627370490", "text 2,5 1 024"));
}

TEST(LibreOfficeClient, HungOfficeFailsTheStepInTimeAndEveryLaterOneAtOnce) {
    auto log = std::make_shared<SessionLog>();
    log->hangOn = "workbook";
    FakePump pump;
    {
        LibreOfficeSpreadsheet sheet(std::make_unique<FakeSession>(log), FastOptions(), &pump);
        sheet.startApplication();
        const auto before = std::chrono::steady_clock::now();
        EXPECT_THAT([&] { sheet.addWorkbook(); },
                    ::testing::ThrowsMessage<std::runtime_error>(
                        HasSubstr("LibreOffice did not answer within 0.3 seconds")));
        EXPECT_GT(pump.calls, 5);  // the window went on answering meanwhile
        const auto after = std::chrono::steady_clock::now();
        EXPECT_THROW(sheet.useActiveSheet(), std::runtime_error);
        EXPECT_THROW(sheet.makeVisible(), std::runtime_error);
        EXPECT_LT(std::chrono::steady_clock::now() - after, (after - before) / 2);
    }
    EXPECT_FALSE(log->destroyed);  // still inside the hung call
    log->release.set_value();
    for (int i = 0; i < 500 && !log->destroyed; ++i) {
        std::this_thread::sleep_for(10ms);
    }
    EXPECT_TRUE(log->destroyed);
    EXPECT_THAT(log->calls, ElementsAre("connect test-pipe", "workbook"));
}

TEST(LibreOfficeClient, MissingPluginMeansNoSpreadsheet) {
    QTemporaryDir dir;
    QFile fake(QDir(dir.path()).filePath("libquillora_calc_uno.so"));
    ASSERT_TRUE(fake.open(QIODevice::WriteOnly));
    fake.write("not a library");
    fake.close();
    const CalcPlugin absent({QDir(dir.path()).filePath("none.so"), fake.fileName()});
    EXPECT_FALSE(absent.loaded());
    EXPECT_FALSE(absent.errorString().isEmpty());
    LibreOfficeProvider provider(nullptr, FastOptions(), absent);
    EXPECT_FALSE(provider.available());
    EXPECT_THROW(provider.create(), std::runtime_error);
}

TEST(DeadlineWorkerTest, PassesResultsAndFailuresThrough) {
    DeadlineWorker worker(nullptr);
    int value = 0;
    worker.run([&value] { value = 42; }, 5s, "late");
    EXPECT_EQ(value, 42);
    EXPECT_THAT([&] { worker.run([] { throw std::runtime_error("office said no"); }, 5s, "late"); },
                ::testing::ThrowsMessage<std::runtime_error>("office said no"));
    EXPECT_FALSE(worker.abandoned());
}

// ---------------------------------------------------------------- real LibreOffice Calc

// Connects a session of the test's own to the office, restarting the office
// once more if its fresh profile asks for it (status 81). The first start may
// accept a connection just before it ends for that restart, so a session
// counts only once the office has stayed up a moment and answers a call.
std::unique_ptr<calc_plugin::CalcSession> ConnectWhenReady(HeadlessOffice& office) {
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    int restarts = 0;
    while (std::chrono::steady_clock::now() < deadline) {
        const int status = office.exitStatusIfEnded();
        if (status == 81 && restarts++ < 3) {
            office.restart();
        } else if (status >= 0) {
            ADD_FAILURE() << "soffice.bin ended with status " << status;
            return nullptr;
        }
        auto session = CalcPlugin::instance().newSession();
        try {
            session->connect({office.pipe(), false, 250});
            std::this_thread::sleep_for(500ms);
            if (office.exitStatusIfEnded() < 0) {
                session->attachUntitledWorkbook();
                return session;
            }
        } catch (const std::runtime_error&) {
        }
    }
    ADD_FAILURE() << "LibreOffice did not listen on its pipe within 60 s";
    return nullptr;
}

// The export's fakes, and a provider that reaches the test's own office
// without ever starting the user's.
class LibreOfficeCalc : public ExportTest {
  protected:
    static LibreOfficeOptions OptionsFor(const HeadlessOffice& office) {
        LibreOfficeOptions options;
        options.pipeName = QString::fromStdString(office.pipe());
        options.launchOffice = false;
        options.connectLimit = 30s;
        options.callLimit = 20s;
        return options;
    }
};

TEST_F(LibreOfficeCalc, ExportLeavesAnUntitledWorkbookWithTextsNumbersAndFittedColumns) {
    if (!HeadlessOffice::Installed()) {
        GTEST_SKIP() << "LibreOffice is not installed";
    }
    const CalcPlugin& plugin = CalcPlugin::instance();
    ASSERT_TRUE(plugin.loaded()) << plugin.errorString().toStdString();
    ASSERT_TRUE(plugin.officeInstalled());

    HeadlessOffice office(150s);
    std::unique_ptr<calc_plugin::CalcSession> reader = ConnectWhenReady(office);
    ASSERT_TRUE(reader);

    FillExample(table);
    table.setCell(0, 1, QStringLiteral("-3200.5"));
    table.setCell(0, 2, QStringLiteral("1E+15"));
    table.setChecked(1, false);  // Hexadecimal: its sheet row stays empty
    table.setCell(2, 2, QStringLiteral("=1+1"));
    table.setCell(3, 3, QString(50, QLatin1Char('1')));
    LibreOfficeProvider provider(&pump, OptionsFor(office));

    const auto started = std::chrono::steady_clock::now();
    SaveResultsToSpreadsheet(context(), provider);
    const auto took = std::chrono::steady_clock::now() - started;
    std::cout << "[ measured ] export of " << table.count() << " rows to LibreOffice Calc took "
              << std::chrono::duration_cast<std::chrono::milliseconds>(took).count() << " ms\n";
    for (const ReportedFailure& f : report.failures) {
        ADD_FAILURE() << f.label << ": " << f.description;
    }
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_THAT(pointer.history, ElementsAre(Pointer::Busy, Pointer::Default));

    // The client has let go; the workbook is still open in the office.
    ASSERT_TRUE(reader->attachUntitledWorkbook());
    EXPECT_TRUE(reader->workbookUntitledAndModified());
    using calc_plugin::CellKind;
    auto expectCell = [&](int row, int column, CellKind kind, const std::string& text) {
        const calc_plugin::CellContent c = reader->cell(row, column);
        EXPECT_EQ(c.kind, kind) << "row " << row << " column " << column;
        EXPECT_EQ(c.text, text) << "row " << row << " column " << column;
        return c;
    };
    expectCell(1, 1, CellKind::Text, "Base");
    expectCell(1, 4, CellKind::Text, "Multiplication");
    expectCell(2, 1, CellKind::Text, "Decimal");
    EXPECT_EQ(expectCell(2, 2, CellKind::Value, "-3200.5").value, -3200.5);
    EXPECT_EQ(reader->cell(2, 3).kind, CellKind::Value);
    EXPECT_EQ(reader->cell(2, 3).value, 1e15);
    EXPECT_EQ(expectCell(2, 5, CellKind::Value, "2").value, 2);
    for (int column = 1; column <= 5; ++column) {
        expectCell(3, column, CellKind::Empty, "");
    }
    expectCell(4, 1, CellKind::Text, "Octal");
    expectCell(4, 3, CellKind::Text, "1+1");
    expectCell(4, 2, CellKind::Text, "17");
    expectCell(5, 4, CellKind::Text, std::string(50, '1'));
    expectCell(6, 1, CellKind::Empty, "");

    // Fitted, whichever fonts the office measures with: each column is as wide
    // as Calc's own fit of the same cells copied into a column of their own,
    // and the 50 digits need more room than a column nobody touched.
    for (int column = 1; column <= 5; ++column) {
        const int copy = column + 10;
        for (int row = 1; row <= 5; ++row) {
            const calc_plugin::CellContent c = reader->cell(row, column);
            if (c.kind == CellKind::Value) {
                reader->setCellNumber(row, copy, c.value);
            } else if (c.kind != CellKind::Empty) {
                reader->setCellText(row, copy, c.text);
            }
        }
        reader->autoFitColumn(copy);
        EXPECT_EQ(reader->columnWidth(column), reader->columnWidth(copy)) << "column " << column;
    }
    EXPECT_GT(reader->columnWidth(4), reader->columnWidth(6));

    reader->closeWorkbookWithoutSaving();
    EXPECT_FALSE(reader->attachUntitledWorkbook());
    try {
        reader->terminateOffice();
    } catch (const std::runtime_error&) {
        // The bridge may go down with the office before the answer arrives.
    }
    reader.reset();
    EXPECT_EQ(office.waitForExit(10s), 0);
}

// Runs `crash` once the workbook's sheet has been chosen.
class CrashingProvider : public SpreadsheetProvider {
  public:
    CrashingProvider(SpreadsheetProvider& real, std::function<void()> crash)
        : real_(real), crash_(std::move(crash)) {}
    bool available() override { return real_.available(); }
    std::unique_ptr<Spreadsheet> create() override {
        return std::make_unique<Crashing>(real_.create(), crash_);
    }

  private:
    class Crashing : public Spreadsheet {
      public:
        Crashing(std::unique_ptr<Spreadsheet> inner, std::function<void()> crash)
            : inner_(std::move(inner)), crash_(std::move(crash)) {}
        void startApplication() override { inner_->startApplication(); }
        void addWorkbook() override { inner_->addWorkbook(); }
        void useActiveSheet() override {
            inner_->useActiveSheet();
            crash_();
        }
        void setCellText(int row, int column, const QString& text, CellReading how) override {
            inner_->setCellText(row, column, text, how);
        }
        void autoFitColumn(int column) override { inner_->autoFitColumn(column); }
        void autoFitAllColumns() override { inner_->autoFitAllColumns(); }
        void makeVisible() override { inner_->makeVisible(); }

      private:
        std::unique_ptr<Spreadsheet> inner_;
        std::function<void()> crash_;
    };
    SpreadsheetProvider& real_;
    std::function<void()> crash_;
};

TEST_F(LibreOfficeCalc, OfficeDyingMidExportFailsTheRemainingStepsAndNothingElse) {
    if (!HeadlessOffice::Installed()) {
        GTEST_SKIP() << "LibreOffice is not installed";
    }
    ASSERT_TRUE(CalcPlugin::instance().loaded())
        << CalcPlugin::instance().errorString().toStdString();
    HeadlessOffice office(150s);
    ASSERT_TRUE(ConnectWhenReady(office));

    FillExample(table, false);
    table.setChecked(0, true);
    LibreOfficeProvider real(&pump, OptionsFor(office));
    CrashingProvider provider(real, [&] { office.crash(); });
    const auto started = std::chrono::steady_clock::now();
    SaveResultsToSpreadsheet(context(), provider);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 15s);
    // Every call after the crash fails on its own: five header cells and
    // their fits, five data cells, the fit of all and the showing.
    EXPECT_EQ(report.failures.size(), 17u);
    for (const ReportedFailure& f : report.failures) {
        EXPECT_EQ(f.location, "in Marrowfen2021/08/31.Form1.PushButton5_Click ");
        EXPECT_FALSE(f.description.empty());
    }
    ASSERT_FALSE(report.failures.empty());
    EXPECT_EQ(report.failures.front().description,
              "Setting a cell: LibreOffice is no longer running");
    EXPECT_EQ(pointer.current, Pointer::Default);
}

}  // namespace
