#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>
#include <QXmlStreamReader>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "export/ClipboardExport.h"
#include "export/ClipboardHtml.h"
#include "export/SystemClipboard.h"
#include "support/ExportFixture.h"
#include "support/HeadlessOffice.h"

using namespace quillora;
using namespace quillora::testing;
using ::testing::HasSubstr;
using namespace std::chrono_literals;

namespace {

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
    FillRows(table,
             {{"Decimal", "15", "-3200", "12.5", "1E+15"},
              {"Hexadecimal", "F", "1E5", "32", "2"},
              {"Octal", "17", "0012", "62", "2"},
              {"Binary", "1111", "0101", "110010", "10"}},
             true);
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

}  // namespace
