#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <string>
#include <vector>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QUrl>

#include "input/ListFileLoading.h"
#include "input/ListFileSplitter.h"
#include "input/ListUndo.h"
#include "input/NumberListEditing.h"
#include "input/NumberListModel.h"
#include "input/PastedNumbers.h"
#include "support/FakePorts.h"

namespace quillora {
namespace {

using testing::FakeBaseFlags;
using testing::FakePointer;
using testing::FakeProgress;
using testing::FakePump;
using testing::RecordingDialogs;
using testing::RecordingReport;

std::vector<std::string> Entries(const NumberListModel& list) {
    std::vector<std::string> all;
    for (int row = 0; row < list.count(); ++row) {
        all.emplace_back(list.entry(row));
    }
    return all;
}

using Texts = std::vector<std::string>;

// How many insertions the list announced: the view repaints once per insertion.
struct InsertionCount {
    explicit InsertionCount(NumberListModel& list) {
        QObject::connect(&list, &QAbstractItemModel::rowsInserted, [this] { ++count; });
    }
    int count = 0;
};

// A window's worth of fakes around one list.
struct Window {
    NumberListModel list;
    FakeBaseFlags flags{Base::Decimal};
    FakePointer pointer;
    BusyState busy{pointer};
    RecordingDialogs dialogs;
    RecordingReport report;
    FakeProgress progress;
    FakePump pump;
    InputContext context{list, flags, {dialogs, pointer, busy, progress, pump, report}};
};

// ---- typed numbers -------------------------------------------------------

TEST(AddNumbers, KeepsWhatPassesTheBaseInTypedOrder) {
    struct Case {
        Base base;
        const char* answer;
        Texts stored;
    };
    const std::vector<Case> cases{
        {Base::Decimal, "5, 6,,x, 7", {"5", "6", "7"}},
        {Base::Decimal, "-5, 5.5, abc", {"-5", "5.5"}},
        {Base::Hexadecimal, "ff, 1g", {"FF"}},
        {Base::Hexadecimal, " a36 ,G1,-FF", {"A36"}},
        {Base::Octal, "020, 18, 112, -17, 1.5", {"020", "112", "-17", "1.5"}},
        {Base::Binary, "101, 102, 1 0", {"101"}},
        {Base::Decimal, "   ", {}},
        {Base::Decimal, ",,,", {}},
        {Base::Decimal, "4,4", {"4", "4"}},
        {Base::Decimal, "\t8\t", {"8"}},
    };
    for (const Case& c : cases) {
        NumberListModel list;
        list.append(std::string_view("1"));
        AddNumbers(list, c.base, QString::fromUtf8(c.answer));
        Texts expected{"1"};
        expected.insert(expected.end(), c.stored.begin(), c.stored.end());
        EXPECT_EQ(Entries(list), expected) << c.answer;
    }
}

TEST(AddNumbers, NoBaseOnAcceptsNothing) {
    NumberListModel list;
    EXPECT_EQ(AddNumbers(list, std::nullopt, QStringLiteral("1, 2")), 0);
    EXPECT_TRUE(list.isEmpty());
}

TEST(AddNumbers, RefusesAnEntryLongerThanAnyNumber) {
    NumberListModel list;
    const QString zeros(static_cast<qsizetype>(kLongestEntry) + 1, QLatin1Char('0'));
    EXPECT_EQ(AddNumbers(list, Base::Decimal, zeros + QStringLiteral(",3")), 1);
    EXPECT_EQ(Entries(list), Texts{"3"});
}

TEST(AddNumbersFromInputBox, AsksThenAppends) {
    Window w;
    w.flags.select(Base::Hexadecimal);
    w.dialogs.inputAnswers = {QStringLiteral("ff, 1g")};
    AddNumbersFromInputBox(w.context);
    ASSERT_EQ(w.dialogs.prompts,
              QStringList{QStringLiteral("Enter number or numbers (use commas):")});
    EXPECT_EQ(Entries(w.list), Texts{"FF"});
    EXPECT_TRUE(w.report.failures.empty());
}

TEST(AddNumbersFromInputBox, CancelChangesNothingAndTheHourglassDoesNotStopIt) {
    Window w;
    w.list.append(std::string_view("9"));
    AddNumbersFromInputBox(w.context);  // no scripted answer: cancel
    EXPECT_EQ(Entries(w.list), Texts{"9"});

    // An export's hourglass: adding still asks and appends.
    w.pointer.current = Pointer::Busy;
    w.dialogs.inputAnswers = {QStringLiteral("5")};
    AddNumbersFromInputBox(w.context);
    EXPECT_EQ(w.dialogs.prompts.size(), 2);
    EXPECT_EQ(Entries(w.list), (Texts{"9", "5"}));
    EXPECT_EQ(w.pointer.current, Pointer::Busy);
}

// ---- removal and clearing ------------------------------------------------

TEST(RemoveSelectedNumber, RemovesOnlyTheSelectedRowWhenIdle) {
    NumberListModel list;
    for (const char* t : {"1", "2", "3"}) {
        list.append(std::string_view(t));
    }
    FakePointer pointer;
    BusyState busy{pointer};
    EXPECT_FALSE(RemoveSelectedNumber(list, busy, -1));
    EXPECT_FALSE(RemoveSelectedNumber(list, busy, 3));
    EXPECT_FALSE(RemoveSelectedNumberOnKey(list, busy, 1, Qt::Key_Backspace));
    pointer.current = Pointer::Busy;
    EXPECT_FALSE(RemoveSelectedNumber(list, busy, 1));
    EXPECT_FALSE(RemoveSelectedNumberOnKey(list, busy, 1, Qt::Key_Delete));
    EXPECT_EQ(Entries(list), (Texts{"1", "2", "3"}));

    pointer.current = Pointer::Hand;
    EXPECT_TRUE(RemoveSelectedNumberOnKey(list, busy, 1, Qt::Key_Delete));
    EXPECT_TRUE(RemoveSelectedNumber(list, busy, 0));
    EXPECT_EQ(Entries(list), Texts{"3"});

    NumberListModel empty;
    EXPECT_FALSE(RemoveSelectedNumber(empty, busy, 0));
}

TEST(ClearList, EmptiesTheListUnlessBusy) {
    NumberListModel list;
    list.append(std::string_view("1"));
    FakePointer pointer;
    BusyState busy{pointer};
    RecordingReport report;
    pointer.current = Pointer::Busy;
    ClearList(list, busy, report);
    EXPECT_EQ(list.count(), 1);
    pointer.current = Pointer::Default;
    ClearList(list, busy, report);
    EXPECT_TRUE(list.isEmpty());
    EXPECT_TRUE(report.failures.empty());
}

// ---- sample sets ---------------------------------------------------------

// What the option group does when Form1 clicks an option: a change of base
// empties the list; the same base again leaves it.
std::function<void(Base)> OptionClicks(Window& w) {
    return [&w](Base base) {
        if (w.flags.currentBase() != base) {
            w.flags.select(base);
            w.list.clear();
        }
    };
}

TEST(LoadSampleSet, EachButtonLeavesExactlyItsPair) {
    const std::vector<std::pair<Base, Texts>> sets{{Base::Decimal, {"123", "1000"}},
                                                   {Base::Hexadecimal, {"a36", "a35"}},
                                                   {Base::Octal, {"112", "020"}},
                                                   {Base::Binary, {"101", "111"}}};
    for (const auto& [base, pair] : sets) {
        Window w;
        w.flags.select(base == Base::Decimal ? Base::Binary : Base::Decimal);
        w.list.append(std::string_view("7"));
        LoadSampleSet(w.context, base, OptionClicks(w));
        EXPECT_EQ(w.flags.currentBase(), base);
        EXPECT_EQ(Entries(w.list), pair);
    }
}

TEST(LoadSampleSet, SameBaseAppendsAndTheHourglassDoesNotStopIt) {
    Window w;
    w.flags.select(Base::Octal);
    w.list.append(std::string_view("7"));
    LoadSampleSet(w.context, Base::Octal, OptionClicks(w));
    EXPECT_EQ(Entries(w.list), (Texts{"7", "112", "020"}));

    w.pointer.current = Pointer::Busy;
    LoadSampleSet(w.context, Base::Decimal, OptionClicks(w));
    EXPECT_EQ(w.flags.currentBase(), Base::Decimal);
    EXPECT_EQ(Entries(w.list), (Texts{"123", "1000"}));
    EXPECT_EQ(w.pointer.current, Pointer::Busy);
}

TEST(LoadSampleSet, AFailingSelectionIsReportedAndThePairStillComes) {
    Window w;
    LoadSampleSet(w.context, Base::Hexadecimal,
                  [](Base) { throw std::runtime_error("Invalid property value"); });
    ASSERT_EQ(w.report.failures.size(), 1u);
    EXPECT_EQ(w.report.failures[0].description, "Invalid property value");
    EXPECT_EQ(w.report.failures[0].location, "in Marrowfen2021/08/31.Form1.PushButton10_Click ");
    EXPECT_EQ(w.report.failures[0].label, 100);
    EXPECT_EQ(Entries(w.list), (Texts{"a36", "a35"}));
}

// ---- number list model ---------------------------------------------------

TEST(NumberListModel, BatchJoinsInOneInsertionAfterWhatIsThere) {
    NumberListModel list;
    list.append(std::string_view("1"));
    EntryBatch batch;
    batch.add("22");
    batch.add("");
    batch.add("333");
    InsertionCount inserted(list);
    list.appendMany(batch);
    EXPECT_EQ(inserted.count, 1);
    EXPECT_EQ(Entries(list), (Texts{"1", "22", "", "333"}));
    list.append(list.entry(3));  // an entry of the list itself survives the buffer growing
    list.append(list.entry(3));
    EXPECT_EQ(list.entry(5), "333");
}

// A stored list taken apart: every run between separators is one entry,
// empty runs and the empty text included, whatever the runs' lengths (short
// ones go over as whole blocks, so the ends of the text and of each run are
// where faults would hide), after what the batch holds and in a batch moved
// from, and packed in place in a buffer the batch takes over.
TEST(EntryBatch, PiecesAreEveryRunBetweenSeparatorsAfterWhatIsThere) {
    std::mt19937 random(11);
    for (int round = 0; round < 400; ++round) {
        std::uniform_int_distribution<int> length(0, round % 3 == 0 ? 40 : 17);
        std::string all;
        Texts expected;
        const int pieces = 1 + round % 37;
        for (int i = 0; i < pieces; ++i) {
            std::string piece(static_cast<std::size_t>(length(random)), 'x');
            for (char& c : piece) {
                c = static_cast<char>('0' + random() % 10);
            }
            all += (i == 0 ? "" : ";") + piece;
            expected.push_back(piece);
        }
        EntryBatch batch;
        Texts before;
        if (round % 4 == 1) {
            batch.add("held");
            before.push_back("held");
        } else if (round % 4 == 2) {
            EntryBatch taken = std::move(batch);  // moved from: no offsets at all
            EXPECT_TRUE(batch.empty());
        }
        // The same taken over from a buffer that holds more around them (a
        // file's other lines, separators in them too): packed in place by an
        // empty batch, copied by one that holds entries already.
        const std::string around(static_cast<std::size_t>(random() % 40), ';');
        std::string buffer = around + all + around;
        EntryBatch adopted;
        if (round % 4 == 1) {
            adopted.add("held");
        }
        adopted.adoptPieces(buffer, around.size(), all.size(), ';');
        batch.addPieces(all, ';');
        NumberListModel list;
        list.appendMany(batch);
        before.insert(before.end(), expected.begin(), expected.end());
        ASSERT_EQ(Entries(list), before) << "from \"" << all << '"';
        NumberListModel taken;
        taken.appendMany(std::move(adopted));
        ASSERT_EQ(Entries(taken), before) << "taken over from \"" << buffer << '"';
    }
}

// The joined text in parts, as closing writes it: whatever the budget, the
// parts make exactly the whole, each part within the budget unless one entry
// alone is longer, and short entries at the very end of the buffer (where the
// quick copy could read past it) come out whole.
TEST(NumberListModel, JoinedInPartsMakesExactlyTheWholeForEveryBudget) {
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        NumberListModel list;
        std::uniform_int_distribution<int> length(0, round % 4 == 0 ? 40 : 17);
        const int rows = round % 50;
        for (int i = 0; i < rows; ++i) {
            std::string entry(static_cast<std::size_t>(length(random)), 'a');
            for (char& c : entry) {
                c = static_cast<char>('a' + random() % 26);
            }
            list.append(std::string_view(entry));
        }
        const std::size_t budget = 1 + random() % 64;
        std::string all;
        for (int row = 0; row < list.count();) {
            std::string part = "x";  // what the part's string held before is kept
            const int next = list.appendJoined(part, row, ';', budget + 1);
            ASSERT_GT(next, row);
            ASSERT_EQ(part.front(), 'x');
            const std::size_t longest =
                std::max(budget, list.entry(row).size() + (row > 0 ? 1 : 0));
            ASSERT_LE(part.size() - 1, longest);
            all += part.substr(1);
            row = next;
        }
        EXPECT_EQ(all, list.joined(';')) << "round " << round;
        std::string none;
        EXPECT_EQ(list.appendJoined(none, list.count(), ';', 10), list.count());
        EXPECT_TRUE(none.empty());
    }
}

// ---- list files ----------------------------------------------------------

class ListFiles : public ::testing::Test {
  protected:
    QString write(const QString& name, const QByteArray& bytes) {
        const QString path = dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    Texts load(const QByteArray& bytes, std::optional<Base> base) {
        NumberListModel list;
        LoadListFile(list, write(QStringLiteral("list.txt"), bytes), base, w.dialogs);
        return Entries(list);
    }

    QTemporaryDir dir;
    Window w;
};

TEST_F(ListFiles, EveryLineEndConventionLoadsAlike) {
    const Texts expected{"1", "2", "3"};
    for (const QByteArray& bytes :
         {QByteArray("1\r\n2\r\n3\r\n"), QByteArray("1\n2\n3\n"), QByteArray("1\r2\r3\r"),
          QByteArray("1\n2\r\n3"), QByteArray("1\r\n2\n3"),
          QByteArray("\r\n1\n\n\r2\r\r\n3\n\n")}) {
        EXPECT_EQ(load(bytes, Base::Decimal), expected) << bytes.toStdString();
    }
}

TEST_F(ListFiles, LinesAreTakenWholeAndUntrimmed) {
    EXPECT_EQ(load(" 5\n1,2,3\n6 \n", Base::Decimal), (Texts{" 5", "6 "}));
    EXPECT_EQ(load(" 5\n7\n", Base::Octal), Texts{"7"});
    EXPECT_EQ(load(" 1\n1\n", Base::Binary), Texts{"1"});
    EXPECT_EQ(load("ff\n a\nFf\n", Base::Hexadecimal), (Texts{"FF", "FF"}));
    EXPECT_EQ(load("\n\n\r\n", Base::Decimal), Texts{});
    EXPECT_EQ(load("", Base::Decimal), Texts{});
    EXPECT_EQ(load("1\n2\n", std::nullopt), Texts{});
}

TEST_F(ListFiles, GarbageIsSkippedAndTheNumbersAroundItKept) {
    QByteArray bytes("4\n");
    bytes.append(QByteArray("1\0002\n", 4));
    bytes.append(QByteArray("\xff\xfe\x80\x01\x1a\n"));
    bytes.append(
        "\xEF\xBB\xBF"
        "9\n");  // a byte order mark past the start is just bytes
    bytes.append("5");
    EXPECT_EQ(load(bytes, Base::Decimal), (Texts{"4", "5"}));
    EXPECT_EQ(load("\xEF\xBB\xBF"
                   "12\n13",
                   Base::Decimal),
              (Texts{"12", "13"}));
}

TEST_F(ListFiles, AHugeSingleLineIsSkippedWithoutHoldingIt) {
    QByteArray bytes(64 << 20, '1');
    bytes.prepend("2\n");
    bytes.append("\n3");
    EXPECT_EQ(load(bytes, Base::Decimal), (Texts{"2", "3"}));
}

TEST_F(ListFiles, TheSplitterIgnoresWhereBlocksEnd) {
    const std::string text =
        "\xEF\xBB\xBF"
        "10\r\n20\r30\n\n40\r\n" +
        std::string(kLongestEntry + 3, '7') + "\r\n50";
    Texts whole;
    ListFileSplitter one;
    const auto into = [](Texts& out) {
        return [&out](std::string_view c) { out.emplace_back(c); };
    };
    one.feed(text, into(whole));
    one.finish(into(whole));
    EXPECT_EQ(whole, (Texts{"10", "20", "30", "40", "50"}));
    for (std::size_t size : {1u, 2u, 3u, 5u}) {
        Texts pieces;
        ListFileSplitter splitter;
        for (std::size_t at = 0; at < text.size(); at += size) {
            splitter.feed(std::string_view(text).substr(at, size), into(pieces));
        }
        splitter.finish(into(pieces));
        EXPECT_EQ(pieces, whole) << size;
    }
}

TEST_F(ListFiles, SeveralFilesLoadInDialogOrderAfterWhatIsThere) {
    w.flags.select(Base::Hexadecimal);
    w.list.append(std::string_view("AA"));
    const QString a = write("a.txt", "1\nb\n");
    const QString b = write("b.txt", "c\r\nzz\r\nd");
    w.dialogs.openAnswers = {{b, a}};
    InsertionCount inserted(w.list);
    LoadNumbersFromFiles(w.context);
    EXPECT_EQ(Entries(w.list), (Texts{"AA", "C", "D", "1", "B"}));
    EXPECT_EQ(inserted.count, 2);  // one insertion per file
    EXPECT_EQ(w.pointer.history, (std::vector<Pointer>{Pointer::Busy, Pointer::Default}));
    EXPECT_TRUE(w.dialogs.messages.empty());
    EXPECT_TRUE(w.report.failures.empty());
}

TEST_F(ListFiles, AMissingFileIsNamedAndTheNextStillLoads) {
    w.dialogs.openAnswers = {{dir.filePath("gone.txt"), write("b.txt", "8")}};
    LoadNumbersFromFiles(w.context);
    EXPECT_EQ(w.dialogs.texts(), QStringList{QStringLiteral("File not found")});
    EXPECT_TRUE(w.dialogs.messages[0].title.isEmpty());
    EXPECT_EQ(Entries(w.list), Texts{"8"});
}

TEST_F(ListFiles, AnUnreadableFileIsReportedAndNothingIsLost) {
    w.list.append(std::string_view("1"));
    w.dialogs.openAnswers = {{dir.path(), write("b.txt", "2")}};  // a folder cannot be read
    LoadNumbersFromFiles(w.context);
    ASSERT_EQ(w.report.failures.size(), 1u);
    EXPECT_EQ(w.report.failures[0].location, "in Marrowfen2021/08/31.Form1.PushButton1_Click ");
    EXPECT_EQ(w.report.failures[0].label, 108);
    EXPECT_NE(w.report.failures[0].description.find(dir.path().toStdString()), std::string::npos);
    EXPECT_EQ(Entries(w.list), (Texts{"1", "2"}));
    EXPECT_EQ(w.pointer.current, Pointer::Default);
}

TEST_F(ListFiles, ADeviceIsRefusedRatherThanReadForever) {
    if (!QFileInfo::exists(QStringLiteral("/dev/zero"))) {
        GTEST_SKIP() << "no /dev/zero here";
    }
    EXPECT_THROW(LoadListFile(w.list, QStringLiteral("/dev/zero"), Base::Decimal, w.dialogs),
                 std::runtime_error);
    EXPECT_TRUE(w.list.isEmpty());
}

TEST_F(ListFiles, TheDialogAsksForSeveralTextFilesAndCancelChangesNothing) {
    testing::Journal journal;
    w.dialogs.journal = &journal;
    LoadNumbersFromFiles(w.context);
    ASSERT_EQ(journal.size(), 1u);
    EXPECT_EQ(QString::fromStdString(journal[0]),
              QStringLiteral("open Load List(s) - Hold Ctrl to select multiple list files | ") +
                  ListFileDialogFilter());
    EXPECT_TRUE(
        ListFileDialogFilter().startsWith(QStringLiteral("Text Files (*.txt);;All Files (")));
    EXPECT_TRUE(w.pointer.history.empty());
}

TEST_F(ListFiles, InsideAnExportsYieldTheLoadRunsAndLeavesTheExportItsHourglass) {
    w.pointer.current = Pointer::Busy;
    w.dialogs.openAnswers = {{write("a.txt", "4\n5")}};
    LoadNumbersFromFiles(w.context);
    EXPECT_EQ(Entries(w.list), (Texts{"4", "5"}));
    EXPECT_EQ(w.pointer.history, (std::vector<Pointer>{Pointer::Busy, Pointer::Busy}));
}

// ---- loading bounds ------------------------------------------------------

// Options that yield after every block read, so a test sees each turn.
ListLoadOptions EveryBlock(FakeProgress& progress, FakePump& pump) {
    ListLoadOptions options;
    options.progress = &progress;
    options.pump = &pump;
    options.yieldInterval = std::chrono::nanoseconds(0);
    return options;
}

TEST_F(ListFiles, AFileThatGrowsWhileItLoadsIsReadToItsSizeAtOpening) {
    const QByteArray lines = QByteArray("123456789\n").repeated(1 << 20);  // 10 MB, ten blocks
    const QString path = write("growing.txt", lines);
    FakeProgress progress;
    FakePump pump;
    QFile appender(path);
    ASSERT_TRUE(appender.open(QIODevice::Append));
    pump.onProcess = [&](int) {
        appender.write(lines.left(1 << 20));
        appender.flush();
    };
    const int loaded =
        LoadListFile(w.list, path, Base::Decimal, w.dialogs, EveryBlock(progress, pump));
    EXPECT_EQ(loaded, 1 << 20);
    EXPECT_GE(pump.calls, 2);
    EXPECT_EQ(w.list.count(), 1 << 20);
}

TEST_F(ListFiles, ALongLoadYieldsAndShowsItsProgressThenPutsTheBarBack) {
    const QString path = write("long.txt", QByteArray("77\r\n").repeated(3 << 20));  // 12 MB
    FakeProgress progress;
    FakePump pump;
    std::vector<QString> captions;
    pump.onProcess = [&](int) { captions.push_back(progress.caption); };
    LoadListFile(w.list, path, Base::Octal, w.dialogs, EveryBlock(progress, pump));
    EXPECT_EQ(w.list.count(), 3 << 20);
    ASSERT_EQ(pump.calls, 12);  // once per block of 1 MB
    EXPECT_EQ(captions.front(), QStringLiteral("Loading file: long.txt"));
    EXPECT_DOUBLE_EQ(progress.values.at(0), 100.0 / 12);
    EXPECT_EQ(progress.value, 0);
    EXPECT_EQ(progress.caption, QStringLiteral("Progress Bar"));

    // A load shorter than the interval leaves the bar alone.
    FakeProgress quiet;
    FakePump idle;
    ListLoadOptions options{&quiet, &idle};
    options.yieldInterval = std::chrono::hours(1);
    LoadListFile(w.list, write("short.txt", "1\n2\n"), Base::Octal, w.dialogs, options);
    EXPECT_EQ(idle.calls, 0);
    EXPECT_TRUE(quiet.values.empty());
}

TEST_F(ListFiles, ASparseFileOfZerosStreamsPastWithTheWindowAnswering) {
    const QString path = write("sparse.txt", "5\n");
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.resize(qint64{64} << 20));  // a hole of zeros after the first line
    }
    FakeProgress progress;
    FakePump pump;
    EXPECT_EQ(LoadListFile(w.list, path, Base::Decimal, w.dialogs, EveryBlock(progress, pump)), 1);
    EXPECT_EQ(pump.calls, 64);  // once per block of 1 MB
    EXPECT_EQ(Entries(w.list), Texts{"5"});
}

TEST_F(ListFiles, PastTheMemoryBudgetTheLoadStopsWithAReportAndKeepsTheList) {
    w.list.append(std::string_view("1"));
    FakeProgress progress;
    FakePump pump;
    ListLoadOptions options = EveryBlock(progress, pump);
    // Room for the entry there and nine more of two digits.
    options.memoryBudget = ListBudgetUse(10, 1 + 9 * 2);
    const QString path = write("many.txt", QByteArray("42\n").repeated(100));
    try {
        LoadListFile(w.list, path, Base::Decimal, w.dialogs, options);
        ADD_FAILURE() << "the budget was passed silently";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Cannot load all of " + QDir::toNativeSeparators(path).toStdString() +
                      ": the number list has reached its memory budget of 0 MB; 9 entries of "
                      "the file were added");
    }
    ASSERT_EQ(w.list.count(), 10);
    EXPECT_EQ(w.list.entry(0), "1");
    EXPECT_EQ(w.list.entry(9), "42");

    // Through the button: reported at the loading step, and the next file still loads.
    w.dialogs.openAnswers = {{path}};
    LoadNumbersFromFiles(w.context);
    EXPECT_EQ(w.list.count(), 1 + 9 + 100);  // the full budget is far away there
    EXPECT_TRUE(w.report.failures.empty());
    // A hundred million one-digit lines would pass the real budget.
    EXPECT_GT(ListBudgetUse(100'000'000, 100'000'000), kListMemoryBudget);
}

TEST(NormalizeListPath, CollapsesDoubledSeparatorsAndKeepsANetworkPrefix) {
    const std::vector<std::pair<QString, QString>> cases{
        {"C:\\\\a.txt", "C:\\a.txt"},
        {"C:\\a\\\\\\b.txt", "C:\\a\\b.txt"},
        {"/tmp//lists///a.txt", "/tmp/lists/a.txt"},
        {"/home/x.txt", "/home/x.txt"},
        {"\\top.txt", "\\top.txt"},
        {"\\\\server\\\\share\\a.txt", "\\\\server\\share\\a.txt"},
        {"\\\\\\\\server\\a.txt", "\\\\server\\a.txt"},
        {"//server//share/a.txt", "//server/share/a.txt"},
        {"a\\/b", "a\\b"},
        {"", ""},
    };
    for (const auto& [in, out] : cases) {
        EXPECT_EQ(NormalizeListPath(in), out) << in.toStdString();
    }
}

TEST(NumberListModel, RemoveEachTakesTheNamedRowsInOneReset) {
    NumberListModel list;
    list.appendMany(std::vector<std::string>{"a", "bb", "ccc", "d", "eeee", "f"});
    int resets = 0;
    QObject::connect(&list, &QAbstractItemModel::modelReset, [&] { ++resets; });
    list.removeEach({4, 0, 2, 4, 99, -1});
    EXPECT_EQ(Entries(list), (Texts{"bb", "d", "f"}));
    EXPECT_EQ(resets, 1);
    list.append(std::string_view("g"));
    EXPECT_EQ(list.joined(';'), "bb;d;f;g");
    list.removeEach({});
    list.removeEach({0, 1, 2, 3});
    EXPECT_TRUE(list.isEmpty());
    EXPECT_EQ(resets, 2);
}

// ---- pasted and dropped text ----------------------------------------------

Texts Pasted(const QString& text, std::optional<Base> base) {
    NumberListModel list;
    AddPastedText(list, base, text);
    return Entries(list);
}

TEST(AddPastedText, SplitsAtEveryLineEndCommaAndTabAndTrimsLikeTypedEntries) {
    EXPECT_EQ(Pasted(QStringLiteral("1\r\n2\n3\r4,5\t6"), Base::Decimal),
              (Texts{"1", "2", "3", "4", "5", "6"}));
    // Empty pieces, blanks only and rejects are skipped without a word.
    EXPECT_EQ(Pasted(QStringLiteral(" 5 ,\t\t6,, x ,\r\n\r\n 7\u00a0\n   "), Base::Decimal),
              (Texts{"5", "6", "7"}));
    EXPECT_EQ(Pasted(QStringLiteral("ff\n1g\na36"), Base::Hexadecimal), (Texts{"FF", "A36"}));
    EXPECT_EQ(Pasted(QStringLiteral("0101\t2\t1x"), Base::Binary), (Texts{"0101"}));
    EXPECT_TRUE(Pasted(QStringLiteral("1,2"), std::nullopt).empty());
}

TEST(AddPastedText, AcceptsExactlyWhatTheInputBoxAccepts) {
    const QString answer = QStringLiteral(" 12 , 1e3,&H1F, -4.5, 0x10,\u00a08\u00a0, +7,1 2");
    for (Base base : kAllBases) {
        NumberListModel typed;
        AddNumbers(typed, base, answer);
        EXPECT_EQ(Pasted(answer, base), Entries(typed)) << BaseName(base).toStdString();
    }
}

TEST(AddPastedText, GarbageAndHugePiecesCostNothingAndTheListStays) {
    NumberListModel list;
    list.append(std::string_view("9"));
    QString garbage = QString(8 << 20, QLatin1Char('7'));  // one 8 MB "number"
    garbage += QStringLiteral("\n\uFFFD1\n\u00002\n3\uFFFD\n4\n");
    garbage += QString::fromUtf8(QByteArray("\xff\xfe\x00\x01\n5", 6));  // invalid UTF-8
    InsertionCount insertions(list);
    EXPECT_EQ(AddPastedText(list, Base::Decimal, garbage), 2);
    EXPECT_EQ(Entries(list), (Texts{"9", "4", "5"}));
    EXPECT_EQ(insertions.count, 1);
}

TEST(AddTextAsNumbers, AddsInsideAnExportsYieldAndLongTextsShowTheBusyPointer) {
    Window w;
    w.pointer.current = Pointer::Busy;  // an export yields
    AddTextAsNumbers(w.context, u"1,2", "Form_Paste");
    EXPECT_EQ(Entries(w.list), (Texts{"1", "2"}));
    EXPECT_TRUE(w.pointer.history.empty());
    EXPECT_EQ(w.pointer.current, Pointer::Busy);

    w.list.clear();
    w.pointer.current = Pointer::Default;
    AddTextAsNumbers(w.context, u"1,2", "Form_Paste");
    EXPECT_EQ(Entries(w.list), (Texts{"1", "2"}));
    EXPECT_TRUE(w.pointer.history.empty());

    const QString lines = QStringLiteral("3\n").repeated(1 << 20);
    AddTextAsNumbers(w.context, lines, "Form_Paste");
    EXPECT_EQ(w.list.count(), 2 + (1 << 20));
    EXPECT_EQ(w.pointer.history, (std::vector<Pointer>{Pointer::Busy, Pointer::Default}));
}

// ---- dropped files -----------------------------------------------------------

TEST_F(ListFiles, DroppedFilesLoadInOrderAndEachFailureIsToldInItsTurn) {
    w.list.append(std::string_view("1"));
    const QList<QUrl> files{
        QUrl::fromLocalFile(write("a.txt", "2\n3")), QUrl::fromLocalFile(dir.filePath("gone.txt")),
        QUrl::fromLocalFile(dir.path()), QUrl(QStringLiteral("https://example.org/list.txt")),
        QUrl::fromLocalFile(write("b.txt", "4,5\r\n6"))};
    LoadFilesAsNumbers(w.context, files, "Form_OLEDragDrop");
    EXPECT_EQ(Entries(w.list), (Texts{"1", "2", "3", "6"}));
    EXPECT_EQ(w.dialogs.texts(), QStringList{QStringLiteral("File not found")});
    ASSERT_EQ(w.report.failures.size(), 2u);
    EXPECT_EQ(w.report.failures[0].location, "in Marrowfen2021/08/31.Form1.Form_OLEDragDrop ");
    EXPECT_NE(w.report.failures[0].description.find("not a file"), std::string::npos);
    EXPECT_NE(w.report.failures[1].description.find("https://example.org/list.txt: not a local"),
              std::string::npos);
    EXPECT_EQ(w.pointer.history, (std::vector<Pointer>{Pointer::Busy, Pointer::Default}));

    // Inside an export's yield they load and leave the export its hourglass.
    w.pointer.current = Pointer::Busy;
    w.pointer.history.clear();
    LoadFilesAsNumbers(w.context, {QUrl::fromLocalFile(write("c.txt", "7"))}, "Form_OLEDragDrop");
    EXPECT_EQ(w.list.count(), 5);
    EXPECT_EQ(w.pointer.history, (std::vector<Pointer>{Pointer::Busy, Pointer::Busy}));
}

TEST_F(ListFiles, DroppedFileNamesKeepTheirBackslashes) {
    write("x\\y.txt", "1");
    write("x\\\\y.txt", "2");
    write("\\lead.txt", "3");
    LoadFilesAsNumbers(w.context,
                       {QUrl::fromLocalFile(dir.filePath(QStringLiteral("x\\y.txt"))),
                        QUrl::fromLocalFile(dir.filePath(QStringLiteral("x\\\\y.txt"))),
                        QUrl::fromLocalFile(dir.filePath(QStringLiteral("\\lead.txt")))},
                       "Form_OLEDragDrop");
    EXPECT_EQ(Entries(w.list), (Texts{"1", "2", "3"}));
    EXPECT_TRUE(w.dialogs.texts().isEmpty());
}

TEST_F(ListFiles, APipeOrDeviceDroppedIsRefusedWithoutReading) {
    const QString fifo = dir.filePath(QStringLiteral("fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    LoadFilesAsNumbers(
        w.context, {QUrl::fromLocalFile(fifo), QUrl::fromLocalFile(QStringLiteral("/dev/zero"))},
        "Form_OLEDragDrop");
    EXPECT_EQ(w.report.failures.size(), 2u);
    EXPECT_TRUE(w.list.isEmpty());
}

TEST(CommandLineFile, NamesTheFileFromTheWorkingFolder) {
    EXPECT_EQ(CommandLineFile(QStringLiteral("/tmp/a b.txt")).toLocalFile(),
              QStringLiteral("/tmp/a b.txt"));
    EXPECT_EQ(CommandLineFile(QStringLiteral("x.txt")).toLocalFile(),
              QDir::current().absoluteFilePath(QStringLiteral("x.txt")));
}

// ---- undo ------------------------------------------------------------------

struct UndoWindow {
    UndoWindow() { undo.setBase(Base::Decimal); }
    // What the window's option handler does: the base is on, then the list empties.
    void chooseBase(Base base) {
        list.clear();
        undo.setBase(base);
        chosen.push_back(base);
    }
    bool undoNow() {
        return undo.undo([this](Base base) { chooseBase(base); });
    }
    NumberListModel list;
    ListUndo undo{list};
    std::vector<Base> chosen;
};

TEST(ListUndo, EachKindOfLossComesBackWhole) {
    UndoWindow w;
    w.list.appendMany(std::vector<std::string>{"1", "2", "3"});
    EXPECT_FALSE(w.undo.canUndo());  // adding alone leaves nothing to take back

    w.list.clear();  // Clear List
    EXPECT_TRUE(w.undoNow());
    EXPECT_EQ(Entries(w.list), (Texts{"1", "2", "3"}));
    EXPECT_FALSE(w.undo.canUndo());  // one level

    w.list.removeAt(1);  // double-click or Delete
    EXPECT_TRUE(w.undoNow());
    EXPECT_EQ(Entries(w.list), (Texts{"1", "2", "3"}));

    w.chooseBase(Base::Octal);  // a base change: the earlier base comes back too
    EXPECT_TRUE(w.list.isEmpty());
    w.chosen.clear();
    EXPECT_TRUE(w.undoNow());
    EXPECT_EQ(w.chosen, std::vector<Base>{Base::Decimal});
    EXPECT_EQ(Entries(w.list), (Texts{"1", "2", "3"}));
    EXPECT_FALSE(w.undoNow());
}

TEST(ListUndo, AddingClearsItAndEmptyingAnEmptyListKeepsIt) {
    UndoWindow w;
    w.list.appendMany(std::vector<std::string>{"1", "2"});
    w.list.removeAt(0);
    w.list.append(std::string_view("5"));
    EXPECT_FALSE(w.undo.canUndo());

    w.list.clear();
    w.chooseBase(Base::Binary);  // the list is already empty: nothing more is lost
    EXPECT_TRUE(w.undoNow());
    EXPECT_EQ(Entries(w.list), (Texts{"2", "5"}));
    EXPECT_EQ(w.chosen.back(), Base::Decimal);
}

TEST(ListUndo, TheLatestLossIsTheOneTakenBack) {
    UndoWindow w;
    w.list.appendMany(std::vector<std::string>{"1", "2", "3"});
    w.list.removeAt(2);
    w.list.removeAt(0);
    EXPECT_TRUE(w.undoNow());
    EXPECT_EQ(Entries(w.list), (Texts{"1", "2"}));
}

}  // namespace
}  // namespace quillora
