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

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "export/CalcPlugin.h"
#include "export/ClipboardExport.h"
#include "export/ClipboardHtml.h"
#include "export/DeadlineWorker.h"
#include "export/LibreOfficeSpreadsheet.h"
#include "export/SpreadsheetExport.h"
#include "export/SystemClipboard.h"
#include "export/TextFileExport.h"
#include "support/FakePorts.h"
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

// The results table of the worked examples: 30, 15 and 10 fold to these.
void FillExample(ResultsTableModel& table, bool tickAll = true) {
    for (int c = 0; c < ResultsTableModel::kColumnCount; ++c) {
        table.setHeaderText(c, ResultsTableModel::columnCaptions().at(c));
    }
    const std::vector<QStringList> rows{{"Decimal", "15", "5", "50", "2"},
                                        {"Hexadecimal", "F", "5", "32", "2"},
                                        {"Octal", "17", "5", "62", "2"},
                                        {"Binary", "1111", "101", "110010", "10"}};
    for (const QStringList& cells : rows) {
        const int r = table.addRow(cells.at(0));
        for (int k = 1; k <= 4; ++k) {
            table.setCell(r, k, cells.at(k));
        }
        table.setChecked(r, tickAll);
    }
}

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

class ExportTest : public ::testing::Test {
  protected:
    ExportContext context() { return {table, {dialogs, pointer, busy, progress, pump, report}}; }
    QString path(const QString& name) const { return QDir(dir.path()).filePath(name); }

    ResultsTableModel table;
    RecordingDialogs dialogs;
    FakePointer pointer;
    BusyState busy{pointer};
    FakeProgress progress;
    FakePump pump;
    RecordingReport report;
    QTemporaryDir dir;
};

// ---------------------------------------------------------------- text file

const QByteArray kExampleLines[] = {
    "Base       \tAddition\tSubtraction\tMultiplication\tDivision\t\r\n",
    "Decimal    \t15      \t5          \t50            \t2       \t\r\n",
    "Hexadecimal\tF       \t5          \t32            \t2       \t\r\n",
    "Octal      \t17      \t5          \t62            \t2       \t\r\n",
    "Binary     \t1111    \t101        \t110010        \t10      \t\r\n",
};

TEST_F(ExportTest, TextFileOfTheWorkedExampleIsByteExact) {
    FillExample(table);
    SaveListviewProperlySpaced(table, path("results.txt"), &progress, pump, report);
    const QByteArray bytes = ReadFile(path("results.txt"));
    EXPECT_EQ(bytes.size(), 295);
    EXPECT_EQ(bytes, kExampleLines[0] + kExampleLines[1] + kExampleLines[2] + kExampleLines[3] +
                         kExampleLines[4]);
    EXPECT_TRUE(report.failures.empty());
}

TEST_F(ExportTest, TextFileTakesTickedRowsButMeasuresAll) {
    FillExample(table, false);
    table.setChecked(0, true);
    table.setChecked(2, true);
    SaveListviewProperlySpaced(table, path("some.txt"), nullptr, pump, report);
    EXPECT_EQ(ReadFile(path("some.txt")), kExampleLines[0] + kExampleLines[1] + kExampleLines[3]);
}

TEST_F(ExportTest, TextFileOfEmptyTableIsTheBareHeaderLine) {
    FillExample(table);
    table.clear();
    SaveListviewProperlySpaced(table, path("empty.txt"), nullptr, pump, report);
    EXPECT_EQ(ReadFile(path("empty.txt")),
              "Base\tAddition\tSubtraction\tMultiplication\tDivision\t\r\n");
}

TEST_F(ExportTest, TextFileWritesOneByteACharacterWithoutByteOrderMark) {
    FillExample(table);
    table.setCell(0, 1, QStringLiteral("\u00e9"));
    SaveListviewProperlySpaced(table, path("latin.txt"), nullptr, pump, report);
    const QByteArray bytes = ReadFile(path("latin.txt"));
    EXPECT_TRUE(bytes.startsWith("Base "));
    EXPECT_TRUE(bytes.contains("Decimal    \t\xe9       \t"));
}

TEST_F(ExportTest, ProgressRunsThroughItsValuesAndCaptions) {
    FillExample(table, false);
    table.setChecked(1, true);
    table.setChecked(3, true);
    SaveListviewProperlySpaced(table, path("p.txt"), &progress, pump, report);
    EXPECT_THAT(progress.values, ElementsAre(1, 10, 20, 50, 100, 100, 0));
    EXPECT_EQ(progress.caption, "Progress Bar");

    Journal journal;
    progress.journal = &journal;
    // A backslash is an ordinary file-name character here, so this writes one file in the
    // temporary folder while the caption still shows the name after the last "\".
    SaveListviewProperlySpaced(table, path("C:\\data\\out\\r.txt"), &progress, pump, report);
    EXPECT_THAT(journal, ::testing::Contains("caption Writing file: r.txt"));
    EXPECT_THAT(journal, ::testing::Contains("caption Done."));
}

TEST(FileNameFromPath, TakesTextAfterTheLastSeparatorOfEitherKind) {
    EXPECT_EQ(FileNameFromPath("/home/u/results.txt"), "results.txt");
    EXPECT_EQ(FileNameFromPath("C:\\Users\\u\\results.txt"), "results.txt");
    EXPECT_EQ(FileNameFromPath("/mixed\\dir/x\\last"), "last");
    EXPECT_EQ(FileNameFromPath("plain"), "plain");
    EXPECT_EQ(FileNameFromPath("/dir/"), "");
}

TEST_F(ExportTest, UncreatableFileIsReportedAtEachWriteAndProgressStillResets) {
    FillExample(table, false);
    table.setChecked(0, true);
    table.setChecked(3, true);
    const QString bad = path("missing-folder/out.txt");
    SaveListviewProperlySpaced(table, bad, &progress, pump, report);
    // The creation, the header line, two ticked rows and the close.
    ASSERT_EQ(report.failures.size(), 5u);
    for (const ReportedFailure& f : report.failures) {
        EXPECT_EQ(f.location, "in Marrowfen2021/08/31.Main.SaveListviewProperlySpaced ");
    }
    EXPECT_THAT(report.labels(), ElementsAre(128, 134, 160, 160, 168));
    EXPECT_FALSE(QFile::exists(bad));
    EXPECT_EQ(progress.value, 0);
    EXPECT_EQ(progress.caption, "Progress Bar");
}

TEST_F(ExportTest, RowRemovedDuringTheWriteIsReportedAndTheWriteGoesOn) {
    FillExample(table);
    // Another handler runs in a yield of the row loop and removes the last row.
    pump.onProcess = [&](int) {
        if (table.count() == 4 && progress.value >= 25) {
            table.removeRowAt(3);
        }
    };
    SaveListviewProperlySpaced(table, path("live.txt"), &progress, pump, report);
    ASSERT_FALSE(report.failures.empty());
    EXPECT_EQ(report.failures.front().description, "Index out of bounds");
    const QByteArray bytes = ReadFile(path("live.txt"));
    EXPECT_TRUE(bytes.startsWith(kExampleLines[0] + kExampleLines[1]));
    EXPECT_EQ(progress.caption, "Progress Bar");
}

TEST_F(ExportTest, SaveHandlerAsksThenWritesUnderTheBusyPointer) {
    FillExample(table);
    QFile old(path("typed"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(1000, 'x'));
    old.close();
    Journal journal;
    dialogs.journal = &journal;
    pointer.journal = &journal;
    dialogs.saveAnswers.push_back(path("typed"));
    SaveResultsAsTextFile(context());
    EXPECT_EQ(journal.front(), "save Save | Text Files (*.txt);;All Files (*)");
    EXPECT_THAT(pointer.history, ElementsAre(Pointer::Busy, Pointer::Default));
    // Replaced without a question, and no ".txt" added.
    EXPECT_EQ(ReadFile(path("typed")).size(), 295);
    EXPECT_FALSE(QFile::exists(path("typed.txt")));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(ExportTest, CancelledSaveWritesAndChangesNothing) {
    FillExample(table);
    SaveResultsAsTextFile(context());
    EXPECT_TRUE(pointer.history.empty());
    EXPECT_TRUE(progress.values.empty());
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

// ---------------------------------------------------------------- clipboard

// Fails the first `busyFor` attempts of each kind, then records.
class FlakyClipboard : public ClipboardPort {
  public:
    bool clear() override {
        ++clears;
        return clears > busyFor;
    }
    bool setText(const QString& t) override {
        ++sets;
        if (sets <= busyFor) {
            throw std::runtime_error("clipboard held");
        }
        text = t;
        return true;
    }
    int busyFor = 0;
    int clears = 0;
    int sets = 0;
    QString text = QStringLiteral("earlier");
};

TEST_F(ExportTest, ClipboardTextOfTheWorkedExampleIsExact) {
    FillExample(table);
    FlakyClipboard clipboard;
    EXPECT_EQ(CopyListViewToClipboardTab(table, clipboard, pump, report), ClipboardCopy::Copied);
    EXPECT_EQ(clipboard.text,
              "Decimal    \t15  \t5  \t50    \t2\r\n"
              "Hexadecimal\tF   \t5  \t32    \t2\r\n"
              "Octal      \t17  \t5  \t62    \t2\r\n"
              "Binary     \t1111\t101\t110010\t10\r\n");
    EXPECT_EQ(clipboard.text.size(), 125);
}

TEST_F(ExportTest, ClipboardWidthsCountUntickedRowsButNoHeaders) {
    FillExample(table, false);
    table.setChecked(1, true);
    table.setCell(1, 4, QString());  // an empty last cell keeps the TAB before it
    FlakyClipboard clipboard;
    CopyListViewToClipboardTab(table, clipboard, pump, report);
    EXPECT_EQ(clipboard.text, "Hexadecimal\tF   \t5  \t32    \t\r\n");
}

TEST_F(ExportTest, ClipboardRetriesUntilTheFirstSuccessAndNoFurther) {
    FillExample(table);
    FlakyClipboard clipboard;
    clipboard.busyFor = 7;
    CopyResultsToClipboard(context(), clipboard);
    EXPECT_EQ(clipboard.clears, 8);
    EXPECT_EQ(clipboard.sets, 8);
    EXPECT_TRUE(clipboard.text.startsWith("Decimal"));
    EXPECT_EQ(dialogs.texts(), QStringList{kCopiedMessage});
    EXPECT_EQ(kCopiedMessage,
              "Results have been copied to the clipboard.\r\rClick a text area where you normally "
              "type and press Ctrl+V to paste the clipboard.");
}

TEST_F(ExportTest, ClipboardBusyThroughEveryAttemptIsNotCalledACopy) {
    FillExample(table);
    FlakyClipboard clipboard;
    clipboard.busyFor = 1'000'000;
    CopyResultsToClipboard(context(), clipboard);
    EXPECT_EQ(clipboard.clears, kClipboardAttempts);
    EXPECT_EQ(clipboard.sets, kClipboardAttempts);
    EXPECT_EQ(clipboard.text, "earlier");
    EXPECT_EQ(dialogs.texts(), QStringList{kClipboardBusyMessage});
    EXPECT_TRUE(report.failures.empty());
}

TEST_F(ExportTest, ClipboardOfEmptyOrUntickedTable) {
    FlakyClipboard clipboard;
    CopyResultsToClipboard(context(), clipboard);
    EXPECT_EQ(clipboard.clears + clipboard.sets, 0);
    EXPECT_EQ(clipboard.text, "earlier");
    EXPECT_EQ(dialogs.texts(), QStringList{kNothingToCopyMessage});

    FillExample(table, false);
    CopyResultsToClipboard(context(), clipboard);
    EXPECT_EQ(clipboard.clears, 1);
    EXPECT_EQ(clipboard.text, "");
    EXPECT_EQ(dialogs.texts().back(), kCopiedMessage);
}

TEST_F(ExportTest, SystemClipboardHoldsTheCopiedText) {
    FillExample(table, false);
    table.setChecked(2, true);
    SystemClipboard clipboard;
    CopyResultsToClipboard(context(), clipboard);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "Octal      \t17  \t5  \t62    \t2\r\n");
    EXPECT_EQ(dialogs.texts(), QStringList{kCopiedMessage});
}

// ---------------------------------------------------------------- clipboard HTML

// Results whose digits a spreadsheet guessing types would mangle: 0012 and 0101
// lose their zeros as numbers, 1E5 becomes 100000, 12.5 is a date in some locales.
void FillAwkward(ResultsTableModel& table) {
    const std::vector<QStringList> rows{{"Decimal", "15", "-3200", "12.5", "1E+15"},
                                        {"Hexadecimal", "F", "1E5", "32", "2"},
                                        {"Octal", "17", "0012", "62", "2"},
                                        {"Binary", "1111", "0101", "110010", "10"}};
    for (const QStringList& cells : rows) {
        const int r = table.addRow(cells.at(0));
        for (int k = 1; k <= 4; ++k) {
            table.setCell(r, k, cells.at(k));
        }
        table.setChecked(r, true);
    }
}

class TwoFlavourClipboard : public FlakyClipboard {
  public:
    bool setTextAndHtml(const QString& t, const QString& h) override {
        html = h;
        return setText(t);
    }
    QString html;
};

TEST_F(ExportTest, ClipboardHtmlHasOneUnpaddedCellPerTickedResultBesideTheSameText) {
    FillExample(table, false);
    table.setChecked(0, true);
    table.setChecked(3, true);
    TwoFlavourClipboard clipboard;
    CopyListViewToClipboardTab(table, clipboard, pump, report);
    EXPECT_EQ(clipboard.text,
              "Decimal    \t15  \t5  \t50    \t2\r\n"
              "Binary     \t1111\t101\t110010\t10\r\n");
    const QString text =
        QStringLiteral("<td sdnum=\"1033;0;@\" style=\"mso-number-format:'\\@'\">");
    const auto number = [](const char* n) {
        return QStringLiteral("<td sdval=\"%1\" sdnum=\"1033;0;General\" x:num=\"%1\">%1</td>")
            .arg(QLatin1String(n));
    };
    EXPECT_THAT(clipboard.html.toStdString(),
                HasSubstr((QStringLiteral("<tr>") + text + "Decimal</td>" + number("15") +
                           number("5") + number("50") + number("2") + "</tr><tr>" + text +
                           "Binary</td>" + text + "1111</td>" + text + "101</td>" + text +
                           "110010</td>" + text + "10</td></tr></table>")
                              .toStdString()));
    EXPECT_EQ(clipboard.html.count(QStringLiteral("<tr>")), 2);
}

TEST_F(ExportTest, ClipboardHtmlWritesDecimalValuesInTheCLocaleAndEscapesText) {
    const int r = table.addRow(QStringLiteral("Decimal"));
    table.setCell(r, 1, QStringLiteral("0.333333333333333"));
    table.setCell(r, 2, QStringLiteral("-1E-05"));
    table.setCell(r, 3, QStringLiteral("<inf>"));
    table.setChecked(r, true);
    const QString html = ClipboardHtml(table);
    EXPECT_THAT(html.toStdString(), HasSubstr("sdval=\"0.333333333333333\""));
    EXPECT_THAT(html.toStdString(), HasSubstr("sdval=\"-1e-05\""));
    EXPECT_THAT(html.toStdString(), HasSubstr(">&lt;inf&gt;</td>"));
    EXPECT_THAT(html.toStdString(), HasSubstr("'\\@'\"></td>"));  // the empty fourth result
}

TEST_F(ExportTest, SystemClipboardOffersTheTextAndTheHtmlTable) {
    FillExample(table);
    SystemClipboard clipboard;
    CopyResultsToClipboard(context(), clipboard);
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->text().size(), 125);
    EXPECT_EQ(data->html(), ClipboardHtml(table));
}

// Runs a headless office of its own that converts the file through the named
// import filter into flat ODS, and gives back that file's text. Started and
// reaped by process id; killed when it runs past the limit.
QByteArray ConvertWithOffice(const QString& input, const QString& filter, const QString& folder) {
    const std::string profile = "-env:UserInstallation=file://" +
                                QDir(folder).filePath(QStringLiteral("profile")).toStdString();
    const std::string infilter = "--infilter=" + filter.toStdString();
    const std::string out = folder.toStdString();
    const std::string in = input.toStdString();
    // A fresh profile's first start ends with 81 and asks to be started again.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const pid_t pid = fork();
        if (pid == 0) {
            setenv("HOME", out.c_str(), 1);
            setenv("TMPDIR", out.c_str(), 1);
            execl(HeadlessOffice::kProgram, HeadlessOffice::kProgram, "--headless", "--invisible",
                  "--nologo", "--norestore", "--nodefault", "--nolockcheck", profile.c_str(),
                  infilter.c_str(), "--convert-to", "fods", "--outdir", out.c_str(), in.c_str(),
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        int status = 0;
        const auto deadline = std::chrono::steady_clock::now() + 180s;
        while (waitpid(pid, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                kill(pid, SIGKILL);
                waitpid(pid, &status, 0);
                ADD_FAILURE() << "the office did not convert within its limit";
                return {};
            }
            std::this_thread::sleep_for(100ms);
        }
        if (WIFEXITED(status) && WEXITSTATUS(status) == 81) {
            continue;
        }
        break;
    }
    return ReadFile(QDir(folder).filePath(QFileInfo(input).completeBaseName() + ".fods"));
}

struct ReadCell {
    std::string type;  // office:value-type: float, string, ...
    std::string value;
    std::string text;
};

// The text of the cell's paragraphs, leaving the reader at the cell's end.
std::string ParagraphsOfCell(QXmlStreamReader& xml) {
    std::string text;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isEndElement() && xml.qualifiedName() == QStringLiteral("table:table-cell")) {
            break;
        }
        if (xml.isStartElement() && xml.qualifiedName() == QStringLiteral("text:p")) {
            text += xml.readElementText(QXmlStreamReader::IncludeChildElements).toStdString();
        }
    }
    return text;
}

// The first sheet's cells, row by row, from a flat ODS document.
std::vector<std::vector<ReadCell>> SheetCells(const QByteArray& fods) {
    std::vector<std::vector<ReadCell>> rows;
    QXmlStreamReader xml(fods);
    bool inSheet = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.qualifiedName() == QStringLiteral("table:table")) {
            inSheet = rows.empty();
        } else if (xml.isEndElement() && xml.qualifiedName() == QStringLiteral("table:table")) {
            inSheet = false;
        } else if (inSheet && xml.isStartElement()) {
            if (xml.qualifiedName() == QStringLiteral("table:table-row")) {
                rows.emplace_back();
            } else if (xml.qualifiedName() == QStringLiteral("table:table-cell") && !rows.empty()) {
                const auto attributes = xml.attributes();
                ReadCell cell{
                    attributes.value(QStringLiteral("office:value-type")).toString().toStdString(),
                    attributes.value(QStringLiteral("office:value")).toString().toStdString(),
                    {}};
                const int repeated = std::max(
                    1, attributes.value(QStringLiteral("table:number-columns-repeated")).toInt());
                if (!cell.type.empty()) {
                    cell.text = ParagraphsOfCell(xml);
                    for (int i = 0; i < repeated; ++i) {
                        rows.back().push_back(cell);
                    }
                }
            }
        }
    }
    return rows;
}

TEST_F(ExportTest, CalcImportingTheClipboardHtmlGetsNumbersAndTextsAsMarked) {
    if (!HeadlessOffice::Installed()) {
        GTEST_SKIP() << "LibreOffice Calc is not installed";
    }
    FillAwkward(table);
    const QString html = path(QStringLiteral("clipboard.html"));
    {
        QFile file(html);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(ClipboardHtml(table).toUtf8());
    }
    const auto rows =
        SheetCells(ConvertWithOffice(html, QStringLiteral("HTML (StarCalc)"), dir.path()));
    ASSERT_EQ(rows.size(), 4u);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        ASSERT_EQ(rows[r].size(), 5u) << "row " << r;
        std::cout << "Calc read back:";
        for (std::size_t c = 0; c < 5; ++c) {
            const ReadCell& cell = rows[r][c];
            const QString expected = c == 0 ? table.row(static_cast<int>(r)).base
                                            : table.row(static_cast<int>(r)).cells.at(c - 1);
            std::cout << ' ' << cell.text << '=' << cell.type
                      << (cell.value.empty() ? "" : "(" + cell.value + ")");
            if (r == 0 && c > 0) {
                EXPECT_EQ(cell.type, "float") << cell.text;
            } else {
                EXPECT_EQ(cell.type, "string") << cell.text;
                EXPECT_EQ(cell.text, expected.toStdString());
            }
        }
        std::cout << '\n';
    }
    EXPECT_EQ(rows[0][1].value, "15");
    EXPECT_EQ(rows[0][2].value, "-3200");
    EXPECT_EQ(rows[0][3].value, "12.5");
    EXPECT_EQ(rows[0][4].value, "1000000000000000");
}

// ---------------------------------------------------------------- spreadsheet handler

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
