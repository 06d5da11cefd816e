#include <QFile>
#include <QString>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "export/TextFileExport.h"
#include "support/ExportFixture.h"

using namespace quillora;
using namespace quillora::testing;
using ::testing::ElementsAre;

namespace {

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
}  // namespace
