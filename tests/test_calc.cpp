#include <array>
#include <bit>
#include <cfloat>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "calc/CalculationRun.h"
#include "calc/ListFold.h"
#include "calc/ResultsTableModel.h"
#include "calc/StretchFold.h"
#include "core/ByteScan.h"
#include "support/FakePorts.h"
#include "support/QStringPrinting.h"

using namespace quillora;
using namespace quillora::testing;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

namespace {

const std::string kRunLocation = "in Marrowfen2021/08/31.Form1.PushButton3_Click ";

QStringList Row(const ResultsTableModel& results, int index) {
    const ResultRow& r = results.row(index);
    return {r.base, r.cells[0], r.cells[1], r.cells[2], r.cells[3]};
}

// One run's surroundings; every fake writes to the same journal.
class CalculationRunTest : public ::testing::Test {
  protected:
    CalculationRunTest() {
        dialogs.journal = &journal;
        report.journal = &journal;
        pointer.journal = &journal;
        progress.journal = &journal;
        pump.journal = &journal;
    }

    CalculationContext context() {
        return {list, flags, results, {dialogs, pointer, busy, progress, pump, report}};
    }
    // Yields after every entry unless told otherwise, so that pump scripts
    // run at known positions.
    void run(std::chrono::nanoseconds yieldInterval = std::chrono::nanoseconds::zero()) {
        RunCalculation(context(), yieldInterval);
    }
    void run(std::vector<std::string> entries, Base base) {
        list.entries = std::move(entries);
        flags.select(base);
        run();
    }
    QStringList column(int cell) const {
        QStringList texts;
        for (int r = 0; r < results.count(); ++r) {
            texts << results.row(r).cells.at(static_cast<std::size_t>(cell - 1));
        }
        return texts;
    }

    Journal journal;
    VectorNumberSource list;
    FakeBaseFlags flags;
    ResultsTableModel results;
    FakePointer pointer;
    BusyState busy{pointer};
    FakeProgress progress;
    FakePump pump;
    RecordingDialogs dialogs;
    RecordingReport report;
};

TEST_F(CalculationRunTest, HexadecimalWorkedExampleFillsAllFourRows) {
    run({"FF", "5", "3"}, Base::Hexadecimal);

    ASSERT_EQ(results.count(), 4);
    EXPECT_EQ(Row(results, 0), QStringList({"Decimal", "263", "247", "3825", "17"}));
    EXPECT_EQ(Row(results, 1), QStringList({"Hexadecimal", "107", "F7", "EF1", "11"}));
    EXPECT_EQ(Row(results, 2), QStringList({"Octal", "407", "367", "7361", "21"}));
    EXPECT_EQ(Row(results, 3),
              QStringList({"Binary", "100000111", "11110111", "111011110001", "10001"}));
    EXPECT_TRUE(report.failures.empty());
    ASSERT_EQ(progress.values.size(), 3u);
    EXPECT_DOUBLE_EQ(progress.values[0], 2.0 / 3.0 * 100.0);
    EXPECT_EQ(progress.values[1], 100.0);
    EXPECT_EQ(progress.values[2], 0.0);
    EXPECT_EQ(progress.caption, "Progress Bar");
    EXPECT_THAT(pointer.history, ElementsAre(Pointer::Busy, Pointer::Default));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Done.");
    EXPECT_TRUE(dialogs.messages[0].title.isEmpty());
}

TEST_F(CalculationRunTest, FewerThanTwoEntriesOnlyShowTheMessage) {
    run({"7", "8"}, Base::Decimal);
    results.setChecked(0, true);
    const QStringList earlier = Row(results, 0);

    for (const std::vector<std::string>& entries :
         {std::vector<std::string>{}, std::vector<std::string>{"5"}}) {
        journal.clear();
        list.entries = entries;
        run();
        EXPECT_THAT(journal, ElementsAre("message Must have a least 2 numbers."));
        EXPECT_TRUE(dialogs.messages.back().title.isEmpty());
        ASSERT_EQ(results.count(), 4);
        EXPECT_EQ(Row(results, 0), earlier);
        EXPECT_TRUE(results.row(0).checked);
    }
}

TEST_F(CalculationRunTest, TwoEntriesReachOneHundredBeforeTheReset) {
    run({"1", "2"}, Base::Decimal);
    EXPECT_THAT(journal,
                ElementsAre("pointer Busy", "progress 100.000000", "pump", "pointer Default",
                            "progress 0.000000", "caption Progress Bar", "message Done."));
}

TEST_F(CalculationRunTest, ARunInsideAnotherBusyOperationLeavesItsHourglass) {
    pointer.current = Pointer::Hand;
    run({"1", "2"}, Base::Decimal);
    EXPECT_EQ(pointer.current, Pointer::Default);

    pointer.current = Pointer::Busy;  // started from an export's yield
    run({"1", "2"}, Base::Decimal);
    EXPECT_EQ(pointer.current, Pointer::Busy);
}

TEST_F(CalculationRunTest, DecimalResults) {
    struct Case {
        std::vector<std::string> entries;
        QStringList decimalRow;
    };
    const Case cases[] = {
        // Every nonzero entry divides, negative ones too.
        {{"100", "-4", "8"}, {"Decimal", "104", "96", "-3200", "-3.125"}},
        // A zero entry leaves the quotient as it is.
        {{"10", "0", "4"}, {"Decimal", "14", "6", "0", "2.5"}},
        // Negative zero is written "0".
        {{"0", "-5"}, {"Decimal", "-5", "5", "0", "0"}},
        {{"1", "3"}, {"Decimal", "4", "-2", "3", "0.333333333333333"}},
        {{"10", "3"}, {"Decimal", "13", "7", "30", "3.33333333333333"}},
        {{"999999999999999", "1"},
         {"Decimal", "1E+15", "999999999999998", "999999999999999", "999999999999999"}},
        {{"4503599627370495", "4503599627370494"},
         {"Decimal", "9.00719925474099E+15", "1", "2.02824096036517E+31", "1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.decimalRow.join(' ').toStdString());
        run(c.entries, Base::Decimal);
        ASSERT_EQ(results.count(), 4);
        EXPECT_EQ(Row(results, 0), c.decimalRow);
        EXPECT_TRUE(report.failures.empty());
    }
}

TEST_F(CalculationRunTest, ZeroResultsAreZeroInEveryRow) {
    run({"0", "-5"}, Base::Decimal);
    EXPECT_THAT(column(3), ElementsAre("0", "0", "0", "0"));
    EXPECT_THAT(column(4), ElementsAre("0", "0", "0", "0"));
}

TEST_F(CalculationRunTest, BinaryListInAllFourRows) {
    run({"110", "11"}, Base::Binary);
    EXPECT_THAT(column(1), ElementsAre("9", "9", "11", "1001"));
    EXPECT_THAT(column(2), ElementsAre("3", "3", "3", "11"));
    EXPECT_THAT(column(3), ElementsAre("18", "12", "22", "10010"));
    EXPECT_THAT(column(4), ElementsAre("2", "2", "2", "10"));
}

TEST_F(CalculationRunTest, LaterNonDecimalEntriesKeepFullPrecision) {
    run({"FFFFFFFFFFFFF", "FFFFFFFFFFFFE"}, Base::Hexadecimal);
    EXPECT_THAT(column(2), ElementsAre("1", "1", "1", "1"));
    run({"77777777777777777", "77777777777777776"}, Base::Octal);
    EXPECT_THAT(column(2), ElementsAre("1", "1", "1", "1"));
}

TEST_F(CalculationRunTest, FractionalNegativeAndExponentResultsInOtherBases) {
    run({"25", "2"}, Base::Decimal);
    EXPECT_THAT(column(4), ElementsAre("12.5", "C.8", "14.4", "1100.1"));
    run({"1", "3"}, Base::Decimal);
    EXPECT_THAT(column(2), ElementsAre("-2", "-2", "-2", "-10"));
    run({"999999999999999", "1"}, Base::Decimal);
    EXPECT_EQ(column(1).at(1), "38D7EA4C68000");
}

TEST_F(CalculationRunTest, SecondRunReplacesTheRowsAndLeavesThemUnticked) {
    run({"1", "2"}, Base::Decimal);
    results.setChecked(1, true);
    run({"FF", "5", "3"}, Base::Hexadecimal);
    ASSERT_EQ(results.count(), 4);
    EXPECT_EQ(results.row(0).cells[0], "263");
    for (int r = 0; r < results.count(); ++r) {
        EXPECT_FALSE(results.row(r).checked);
    }
    EXPECT_TRUE(results.checkedRows().empty());
}

TEST_F(CalculationRunTest, UnreadableLaterEntryIsReportedFiveTimesAndLeftOut) {
    run({"5", "abc", "2"}, Base::Decimal);
    EXPECT_THAT(report.labels(), ElementsAre(188, 190, 192, 194, 196));
    for (const ReportedFailure& f : report.failures) {
        EXPECT_EQ(f.description, "Type mismatch");
        EXPECT_EQ(f.location, kRunLocation);
    }
    EXPECT_EQ(Row(results, 0), QStringList({"Decimal", "7", "3", "10", "2.5"}));
    EXPECT_EQ(dialogs.texts(), QStringList{"Done."});
}

TEST_F(CalculationRunTest, UnreadableFirstEntryLeavesTheSeedsAtZero) {
    run({"x", "5"}, Base::Decimal);
    EXPECT_THAT(report.labels(), ElementsAre(108, 110, 112, 114));
    EXPECT_EQ(Row(results, 0), QStringList({"Decimal", "5", "-5", "0", "0"}));

    run({std::string(300, 'F'), "1"}, Base::Hexadecimal);
    EXPECT_THAT(report.labels(), ElementsAre(108, 110, 112, 114, 122, 124, 126, 128));
    EXPECT_EQ(report.failures.back().description, "Overflow");
}

TEST_F(CalculationRunTest, UnconvertibleLaterEntryIsReportedOnceAndLeftOut) {
    run({"FF", std::string(300, 'F'), "1"}, Base::Hexadecimal);
    ASSERT_EQ(report.failures.size(), 1u);
    EXPECT_EQ(report.failures[0].label, 170);
    EXPECT_EQ(report.failures[0].description, "Overflow");
    EXPECT_EQ(Row(results, 0), QStringList({"Decimal", "256", "254", "255", "255"}));
}

TEST_F(CalculationRunTest, OverflowIsStoredThenReportedAndWrittenInEveryRow) {
    run({"-1e308", "1e308", "1"}, Base::Decimal);
    EXPECT_THAT(report.labels(), ElementsAre(190, 192));
    EXPECT_EQ(report.failures[0].description, "Overflow");
    EXPECT_EQ(report.failures[1].description, "Overflow");
    EXPECT_THAT(column(1), ElementsAre("1", "1", "1", "1"));
    EXPECT_THAT(column(2), ElementsAre("-Infinity", "-Infinity", "-Infinity", "-Infinity"));
    EXPECT_THAT(column(3), ElementsAre("-Infinity", "-Infinity", "-Infinity", "-Infinity"));
    EXPECT_THAT(column(4), ElementsAre("-1", "-1", "-1", "-1"));
    EXPECT_EQ(dialogs.texts(), QStringList{"Done."});
}

TEST_F(CalculationRunTest, NotANumberIsReportedOnceWhenItArises) {
    run({"1e308", "1e308", "0", "2"}, Base::Decimal);
    ASSERT_EQ(report.failures.size(), 3u);
    EXPECT_EQ(report.failures[0].label, 188);
    EXPECT_EQ(report.failures[1].label, 192);
    EXPECT_EQ(report.failures[2].label, 192);
    EXPECT_EQ(report.failures[2].description, "Invalid floating-point operation");
    EXPECT_THAT(column(1), ElementsAre("Infinity", "Infinity", "Infinity", "Infinity"));
    EXPECT_THAT(column(3), ElementsAre("NaN", "NaN", "NaN", "NaN"));
}

// Window parts that fail are reported at their step and the run goes on.
class FailingPorts : public CalculationRunTest {
  protected:
    struct ThrowingProgress : FakeProgress {
        void setValue(double) override { throw std::runtime_error("Progress failed"); }
    };
    struct ThrowingPointer : FakePointer {
        void setPointer(Pointer) override { throw std::runtime_error("Pointer failed"); }
    };
    struct ThrowingPump : FakePump {
        void processEvents() override { throw std::runtime_error("Pump failed"); }
    };
    ThrowingProgress badProgress;
    ThrowingPointer badPointer;
    ThrowingPump badPump;
    BusyState badBusy{badPointer};
};

TEST_F(FailingPorts, EveryFailureIsReportedAtItsLabel) {
    list.entries = {"1", "2", "3"};
    RunCalculation(
        {list, flags, results, {dialogs, badPointer, badBusy, badProgress, badPump, report}},
        std::chrono::nanoseconds::zero());
    EXPECT_THAT(report.labels(), ElementsAre(104, 198, 200, 198, 200, 254, 252));
    EXPECT_EQ(report.failures[0].location, kRunLocation);
    EXPECT_EQ(report.failures[0].description, "Pointer failed");
    ASSERT_EQ(results.count(), 4);
    EXPECT_EQ(results.row(0).cells[0], "6");
    EXPECT_EQ(dialogs.texts(), QStringList{"Done."});
}

TEST_F(CalculationRunTest, NoBaseFlagGivesZeroResultsWithoutReports) {
    list.entries = {"5", "6"};
    flags.clearAll();
    run();
    EXPECT_TRUE(report.failures.empty());
    EXPECT_THAT(column(1), ElementsAre("0", "0", "0", "0"));
    EXPECT_EQ(dialogs.texts(), QStringList{"Done."});
}

TEST_F(CalculationRunTest, YieldsAfterTheLastEntryHoweverLongTheInterval) {
    list.entries.assign(500, "1");
    run(std::chrono::hours(1));
    EXPECT_EQ(pump.calls, 1);
    EXPECT_THAT(progress.values, ElementsAre(100.0, 0.0));

    run(std::chrono::nanoseconds::zero());
    EXPECT_EQ(pump.calls, 1 + 499);
}

TEST_F(CalculationRunTest, ListAndBaseAreReadAfreshAfterEachYield) {
    list.entries = {"10", "10", "10"};
    flags.select(Base::Decimal);
    pump.onProcess = [&](int) { flags.select(Base::Hexadecimal); };
    run();
    EXPECT_EQ(results.row(0).cells[0], "36");  // the third entry read as hexadecimal 10
}

TEST_F(CalculationRunTest, EntriesAddedDuringARunAreNotFolded) {
    list.entries = {"1", "2", "3"};
    pump.onProcess = [&](int) { list.entries.push_back("100"); };
    run();
    EXPECT_EQ(results.row(0).cells[0], "6");
    ASSERT_GE(progress.values.size(), 2u);
    EXPECT_EQ(progress.values[progress.values.size() - 2], 100.0);
    EXPECT_EQ(progress.values.back(), 0.0);
}

TEST_F(CalculationRunTest, EntriesTakenAwayDuringARunEndTheLoopSafely) {
    list.entries = {"1", "2", "3", "4"};
    pump.onProcess = [&](int) { list.entries.resize(1); };
    run();
    EXPECT_TRUE(report.failures.empty());
    ASSERT_EQ(results.count(), 4);
    EXPECT_EQ(results.row(0).cells[0], "3");
    EXPECT_EQ(progress.values[progress.values.size() - 2], 100.0);

    // Emptied outright, the same.
    list.entries = {"1", "2", "3", "4"};
    pump.onProcess = [&](int) { list.entries.clear(); };
    run();
    EXPECT_EQ(results.count(), 4);
}

TEST_F(CalculationRunTest, ResultsClearedDuringARunEndWithFourRows) {
    list.entries = {"1", "2", "3"};
    pump.onProcess = [&](int) { ClearResults(results, report); };
    run();
    ASSERT_EQ(results.count(), 4);
    EXPECT_EQ(results.row(0).cells[0], "6");
}

TEST_F(CalculationRunTest, StartPressedDuringARunIsRefused) {
    list.entries = {"1", "2", "3"};
    pump.onProcess = [&](int) { run(); };
    run();
    EXPECT_EQ(pump.calls, 2);
    ASSERT_EQ(results.count(), 4);
    EXPECT_EQ(results.row(0).cells[0], "6");
    EXPECT_THAT(pointer.history, ElementsAre(Pointer::Busy, Pointer::Default));
    EXPECT_EQ(dialogs.texts(), QStringList{"Done."});

    pump.onProcess = nullptr;  // and once finished, a run starts again
    run();
    EXPECT_EQ(dialogs.texts(), QStringList({"Done.", "Done."}));
}

TEST_F(CalculationRunTest, ClearResultsEmptiesTheRowsAndKeepsTheColumns) {
    for (int c = 0; c < ResultsTableModel::kColumnCount; ++c) {
        results.setHeaderText(c, ResultsTableModel::columnCaptions().at(c));
    }
    run({"1", "2"}, Base::Decimal);
    ClearResults(results, report);
    EXPECT_EQ(results.count(), 0);
    EXPECT_EQ(results.headerText(4), "Division");
    ClearResults(results, report);
    EXPECT_EQ(results.count(), 0);
    EXPECT_TRUE(report.failures.empty());
}

TEST_F(CalculationRunTest, RowRemovalNeedsASelectionAndAnIdlePointer) {
    run({"1", "2"}, Base::Decimal);
    pointer.current = Pointer::Busy;
    RemoveSelectedResult(results, busy, 1);
    EXPECT_EQ(results.count(), 4);

    pointer.current = Pointer::Hand;
    RemoveSelectedResult(results, busy, -1);
    RemoveSelectedResult(results, busy, 4);
    EXPECT_EQ(results.count(), 4);

    RemoveSelectedResult(results, busy, 1);
    ASSERT_EQ(results.count(), 3);
    EXPECT_EQ(results.row(0).base, "Decimal");
    EXPECT_EQ(results.row(1).base, "Octal");
    EXPECT_EQ(results.row(2).base, "Binary");
}

TEST_F(CalculationRunTest, EachRowKnowsTheBaseItsResultsAreWrittenIn) {
    run({"1", "2"}, Base::Decimal);
    for (Base base : kAllBases) {
        const int r = static_cast<int>(base);
        EXPECT_EQ(results.row(r).writtenIn, base) << r;
        EXPECT_EQ(results.text(r, 0), BaseName(base)) << r;
        EXPECT_EQ(results.text(r, 1), results.row(r).cells[0]) << r;
        EXPECT_EQ(results.text(r, 4), results.row(r).cells[3]) << r;
    }
    EXPECT_THROW(results.text(0, 5), std::out_of_range);
    EXPECT_THROW(results.text(4, 0), std::out_of_range);
}

// A stretch folded with no test per entry is kept exactly when none of its
// steps would fail, and then holds, bit for bit, what the steps hold.
TEST(StretchFold, KeptExactlyWhenNoStepWouldFailAndThenHoldsWhatTheStepsHold) {
    ASSERT_TRUE(StretchFold::FlagsKept()) << "this processor keeps no floating-point flags";
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<double> values{0.0,   -0.0,   1.0,     -1.0,      0.5,     3.0,    -7.25,
                                     1e300, -1e300, 1.7e308, 1e-300,    4e-320,  0x1p64, DBL_MAX,
                                     inf,   -inf,   nan,     0x1p-1074, 12345.0, -2.0};
    std::mt19937 random(20261209);
    const auto pick = [&] { return values[random() % values.size()]; };
    const auto bits = [](const Accumulators& a) {
        return std::array<std::uint64_t, 4>{
            std::bit_cast<std::uint64_t>(a.sum), std::bit_cast<std::uint64_t>(a.difference),
            std::bit_cast<std::uint64_t>(a.product), std::bit_cast<std::uint64_t>(a.quotient)};
    };
    int kept = 0;
    int voided = 0;
    for (int round = 0; round < 4000; ++round) {
        const Accumulators start{pick(), pick(), pick(), pick()};
        std::vector<double> stretch(1 + random() % 12);
        for (double& x : stretch) {
            x = random() % 3 == 0 ? pick() : std::ldexp(1.0 + random() % 1000, random() % 200);
        }
        RecordingReport report;
        Steps steps(report, "");
        ListFold byStep(Base::Decimal, steps);
        byStep.resume(start);
        for (const double x : stretch) {
            byStep.foldRead("", x);
        }
        StretchFold apart(start);  // after the steps, whose tests may raise flags of their own
        for (const double x : stretch) {
            apart.fold(x);
        }
        const std::optional<Accumulators> folded = apart.finish();
        SCOPED_TRACE(round);
        ASSERT_EQ(folded.has_value(), report.failures.empty());
        if (folded) {
            EXPECT_EQ(bits(*folded), bits(byStep.accumulators()));
            ++kept;
        } else {
            ++voided;
        }
    }
    EXPECT_GT(kept, 400);
    EXPECT_GT(voided, 400);
}

TEST(ResultsTableModel, ARowNamedAsABaseIsWrittenInItAndOtherNamesInNone) {
    ResultsTableModel table;
    EXPECT_EQ(table.row(table.addRow(QStringLiteral("Decimal"))).writtenIn, Base::Decimal);
    EXPECT_EQ(table.row(table.addRow(QStringLiteral("Binary"))).writtenIn, Base::Binary);
    EXPECT_EQ(table.row(table.addRow(QStringLiteral("decimal"))).writtenIn, std::nullopt);
    EXPECT_EQ(table.row(table.addRow(QStringLiteral("=Own"))).writtenIn, std::nullopt);
}

// ---- the busy guard -------------------------------------------------------

TEST(BusyGuard, OneRunAtATimeWhileOtherOperationsMayNestInside) {
    FakePointer pointer;
    BusyState state{pointer};
    std::vector<bool> told;
    state.onRunUnderWay([&](bool underWay) { told.push_back(underWay); });
    {
        const BusyGuard run(state, pointer, BusyGuard::Operation::Run);
        EXPECT_FALSE(run.refused());
        EXPECT_TRUE(state.runUnderWay());
        const BusyGuard second(state, pointer, BusyGuard::Operation::Run);
        EXPECT_TRUE(second.refused());
        const BusyGuard exportInside(state, pointer, BusyGuard::Operation::Other);
        EXPECT_FALSE(exportInside.refused());
    }
    EXPECT_FALSE(state.runUnderWay());
    // The refused run neither told the window nor ended the first one early.
    EXPECT_EQ(told, (std::vector<bool>{true, false}));
    const BusyGuard next(state, pointer, BusyGuard::Operation::Run);
    EXPECT_FALSE(next.refused());
}

TEST(BusyGuard, TheHourglassEndsAsItWasFoundEvenOnAnEarlyReturn) {
    FakePointer pointer;
    BusyState state{pointer};
    pointer.current = Pointer::Hand;
    std::size_t pointerSets = 0;
    {
        BusyGuard outer(state, pointer, BusyGuard::Operation::Run);
        outer.showHourglass();
        EXPECT_TRUE(state.hourglassUp());
        {
            BusyGuard inner(state, pointer, BusyGuard::Operation::Other);
            inner.showHourglass();
            inner.endHourglass();
            EXPECT_EQ(pointer.current, Pointer::Busy) << "the outer operation's hourglass stays";
        }
        {
            BusyGuard leftEarly(state, pointer, BusyGuard::Operation::Other);
            leftEarly.showHourglass();
        }
        EXPECT_EQ(pointer.current, Pointer::Busy);
        outer.endHourglass();
        EXPECT_EQ(pointer.current, Pointer::Default);
        pointerSets = pointer.history.size();
    }
    EXPECT_EQ(pointer.history.size(), pointerSets) << "an ended hourglass is not ended twice";

    {
        BusyGuard leftEarly(state, pointer, BusyGuard::Operation::Other);
        leftEarly.showHourglass();
    }
    EXPECT_EQ(pointer.current, Pointer::Default);
    EXPECT_FALSE(state.hourglassUp());

    // An operation that never showed the hourglass leaves the pointer alone.
    pointer.current = Pointer::Hand;
    { const BusyGuard quiet(state, pointer, BusyGuard::Operation::Other); }
    EXPECT_EQ(pointer.current, Pointer::Hand);
}

}  // namespace

// ---- byte scans --------------------------------------------------------

// Every scan against a plain byte loop, over texts of every length up to a
// few blocks and from every starting point: the block edges, the tail after
// the last whole block and bytes with the high bit set are where a scan
// sixteen bytes at a time goes wrong.
TEST(ByteScan, EveryScanAgreesWithAByteLoop) {
    const std::string alphabet =
        std::string("0;\"\\a,", 6) + '\0' + '\x1f' + ' ' + '\x80' + '\xff' + '\xc3';
    std::mt19937 random(5);
    for (int round = 0; round < 3000; ++round) {
        std::string text(static_cast<std::size_t>(round % 90), '0');
        // Mostly one byte, as real lists are, with the others sprinkled in.
        for (char& c : text) {
            c = random() % 4 == 0 ? alphabet[random() % alphabet.size()] : '7';
        }
        std::size_t count = 0;
        std::vector<std::size_t> at;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == ';') {
                ++count;
                at.push_back(i);
            }
        }
        EXPECT_EQ(bytescan::Count(text, ';'), count) << text;
        std::vector<std::size_t> found;
        bytescan::ForEach(text, ';', [&](std::size_t i) { found.push_back(i); });
        EXPECT_EQ(found, at) << text;
        for (std::size_t from = 0; from <= text.size() + 1; ++from) {
            std::size_t quoteOrEscape = text.size();
            std::size_t nonAscii = text.size();
            std::size_t either = text.size();
            std::size_t control = text.size();
            for (std::size_t i = text.size(); i-- > from;) {
                const bool high = static_cast<unsigned char>(text[i]) >= 0x80;
                const bool special = text[i] == '"' || text[i] == '\\';
                quoteOrEscape = special ? i : quoteOrEscape;
                nonAscii = high ? i : nonAscii;
                either = special || high ? i : either;
                control = special || static_cast<unsigned char>(text[i]) < 0x20 ? i : control;
            }
            EXPECT_EQ(bytescan::FirstOf(text, from, '"', '\\'), quoteOrEscape) << text << from;
            EXPECT_EQ(bytescan::FirstNonAscii(text, from), nonAscii) << text << from;
            EXPECT_EQ(bytescan::FirstOf<bytescan::Also::NonAscii>(text, from, '"', '\\'), either)
                << text << from;
            EXPECT_EQ(bytescan::FirstOf<bytescan::Also::Control>(text, from, '"', '\\'), control)
                << text << from;
        }
    }
}

// Letters a to z, and only they, become A to Z, at every length: the bytes
// just outside the range ("`", "{", "@", "[") and those above 0x7F stay.
TEST(ByteScan, UpperCasingTouchesTheLettersAToZAlone) {
    std::string every;
    for (int c = 0; c < 256; ++c) {
        every.push_back(static_cast<char>(c));
    }
    for (std::size_t size = 0; size <= every.size(); size += size < 40 ? 1 : 37) {
        for (std::size_t from = 0; from + size <= every.size(); from += 61) {
            std::string text = every.substr(from, size);
            std::string expected = text;
            for (char& c : expected) {
                c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
            }
            bytescan::UpperCaseAscii(text.data(), text.size());
            EXPECT_EQ(text, expected) << "from " << from << ", " << size << " bytes";
        }
    }
}

// A lane counts up to 255 before its sum is taken: a long run of nothing but
// the counted byte must not wrap.
TEST(ByteScan, CountsALongRunOfOneByteWithoutWrapping) {
    for (const std::size_t size :
         {std::size_t{16 * 255}, std::size_t{16 * 255 + 1}, std::size_t{100'003}}) {
        EXPECT_EQ(bytescan::Count(std::string(size, ';'), ';'), size);
    }
}
