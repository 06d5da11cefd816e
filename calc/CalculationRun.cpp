#include "calc/CalculationRun.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "calc/EntryReading.h"
#include "calc/FourOperations.h"
#include "calc/ResultText.h"
#include "core/YieldPacer.h"
#include "engine/NumberSystem.h"
#include "engine/NumberText.h"
#include "engine/PowerOfTwoReading.h"

namespace quillora {

namespace {

// Step labels of each base's block: the flag test and the first seed of the
// seeding, the flag test and the working text of the loop.
struct BlockLabels {
    int seedTest;
    int firstSeed;
    int loopTest;
    int working;
};

constexpr BlockLabels LabelsOf(Base base) {
    switch (base) {
        case Base::Decimal:
            return {106, 108, 160, 162};
        case Base::Hexadecimal:
            return {116, 122, 164, 170};
        case Base::Octal:
            return {130, 136, 172, 178};
        case Base::Binary:
            return {144, 150, 180, 186};
    }
    return {106, 108, 160, 162};
}

// Step labels of each results row: adding the row, then its four cells.
struct RowLabels {
    int row;
    int firstCell;
};

constexpr RowLabels RowLabelsOf(Base base) {
    switch (base) {
        case Base::Decimal:
            return {206, 208};
        case Base::Hexadecimal:
            return {218, 220};
        case Base::Octal:
            return {230, 232};
        case Base::Binary:
            return {242, 244};
    }
    return {206, 208};
}

class Run {
  public:
    Run(const CalculationContext& context, BusyGuard& busy, std::chrono::nanoseconds yieldInterval)
        : c_(context),
          busy_(busy),
          steps_(context.window.report, LocationName("Form1", "PushButton3_Click")),
          pacer_(std::chrono::duration_cast<YieldPacer::Clock::duration>(yieldInterval)) {}

    void execute() {
        // A failed count check skips its jump, as the step's own action.
        bool enough = true;
        steps_(100, [&] { enough = c_.list.count() > 1; });
        if (!enough) {
            steps_(258, [&] {
                c_.window.dialogs.message(QStringLiteral("Must have a least 2 numbers."));
            });
            return;
        }
        steps_(102, [&] { c_.results.clear(); });
        steps_(104, [&] { busy_.showHourglass(); });
        seed();
        fold();
        output();
    }

  private:
    // The base of the first flag that is on. A failed flag test counts as
    // passed, so its block runs.
    std::optional<Base> chosenBase(int BlockLabels::*test) {
        for (Base base : kAllBases) {
            bool on = true;
            steps_(LabelsOf(base).*test, [&] { on = c_.flags.flag(base); });
            if (on) {
                return base;
            }
        }
        return std::nullopt;
    }

    void seed() {
        const std::optional<Base> base = chosenBase(&BlockLabels::seedTest);
        if (!base) {
            return;  // nothing to read the list in: the accumulators stay 0
        }
        const WorkingValue first =
            WorkingValue::Capture([&] { return ReadEntry(RequireEntry(c_.list, 1), *base); });
        const int label = LabelsOf(*base).firstSeed;
        steps_(label, [&] { acc_.sum = first.value(); });
        steps_(label + 2, [&] { acc_.difference = first.value(); });
        steps_(label + 4, [&] { acc_.product = first.value(); });
        steps_(label + 6, [&] { acc_.quotient = first.value(); });
    }

    void fold() {
        // The bound is read once; the list may still shrink or grow while the
        // run yields, so each entry is looked up afresh.
        long long n = 0;
        steps_(158, [&] { n = c_.list.count(); });
        for (long long i = 2; i <= n; ++i) {
            if (i > c_.list.count()) {
                break;  // entries were taken away during a yield: there is no entry i any more
            }
            foldEntry(i);
            if (i == n || pacer_.due()) {
                yieldAfter(i);
            }
        }
        if (lastProgress_ != 100.0) {
            // The list changed under the run, or the loop never ran: the bar
            // still shows a finished loop before it is reset.
            setProgress(100.0);
        }
    }

    void foldEntry(long long i) {
        const std::optional<Base> base = chosenBase(&BlockLabels::loopTest);
        if (!base) {
            return;  // no base to read the entry in: it is left out of all four results
        }
        WorkingValue x;
        steps_(LabelsOf(*base).working,
               [&] { x = ReadWorkingValue(RequireEntry(c_.list, i), *base); });
        if (!x.present()) {
            return;  // its conversion failed and was reported: left out of all four results
        }
        steps_(188, [&] { AddTo(acc_.sum, x.value()); });
        steps_(190, [&] { SubtractFrom(acc_.difference, x.value()); });
        steps_(192, [&] { MultiplyInto(acc_.product, x.value()); });
        bool divides = true;  // a failed divisor test counts as passed
        steps_(194, [&] { divides = DividesQuotient(x.value()); });
        if (divides) {
            steps_(196, [&] { DivideInto(acc_.quotient, x.value()); });
        }
    }

    void yieldAfter(long long i) {
        const long long count = c_.list.count();
        setProgress(i >= count ? 100.0
                               : static_cast<double>(i) / static_cast<double>(count) * 100.0);
        steps_(200, [&] { c_.window.pump.processEvents(); });
        pacer_.restart();
    }

    void setProgress(double percent) {
        lastProgress_ = percent;
        steps_(198, [&] { c_.window.progress.setValue(percent); });
    }

    void output() {
        const std::array<double, 4> values{acc_.sum, acc_.difference, acc_.product, acc_.quotient};
        std::array<std::array<QString, 4>, kAllBases.size()> texts;
        for (Base base : kAllBases) {
            const int firstCell = RowLabelsOf(base).firstCell;
            auto& row = texts.at(static_cast<std::size_t>(base));
            for (std::size_t k = 0; k < values.size(); ++k) {
                steps_(firstCell + 2 * static_cast<int>(k),
                       [&] { row.at(k) = ResultText(values.at(k), base); });
            }
        }
        // The rows go in together, without a yield between them, so the table
        // holds this run's four rows whatever happened to it meanwhile.
        steps_(206, [&] { c_.results.clear(); });
        for (Base base : kAllBases) {
            steps_(RowLabelsOf(base).row, [&] {
                const int row = c_.results.addRow(base);
                const auto& cells = texts.at(static_cast<std::size_t>(base));
                for (std::size_t k = 0; k < cells.size(); ++k) {
                    c_.results.setCell(row, static_cast<int>(k) + 1, cells.at(k));
                }
            });
        }
        steps_(254, [&] { busy_.endHourglass(); });
        steps_(252, [&] { c_.window.progress.setValue(0); });
        steps_(252, [&] { c_.window.progress.setCaption(QStringLiteral("Progress Bar")); });
        steps_(256, [&] { c_.window.dialogs.message(QStringLiteral("Done.")); });
    }

    const CalculationContext& c_;
    BusyGuard& busy_;
    Steps steps_;
    YieldPacer pacer_;
    Accumulators acc_;
    double lastProgress_ = -1;
};

}  // namespace

void RunCalculation(const CalculationContext& context) {
    RunCalculation(context, kYieldInterval);
}

void RunCalculation(const CalculationContext& context, std::chrono::nanoseconds yieldInterval) {
    BusyGuard busy(context.window.busy, context.window.pointer, BusyGuard::Operation::Run);
    if (busy.refused()) {
        return;
    }
    Run(context, busy, yieldInterval).execute();
}

void ClearResults(ResultsTableModel& results, FailureReport& report) {
    Steps steps(report, LocationName("Form1", "PushButton7_Click"));
    steps(100, [&] { results.clear(); });
}

void RemoveSelectedResult(ResultsTableModel& results, const BusyState& busy, int selectedRow) {
    if (busy.hourglassUp() || selectedRow < 0 || selectedRow >= results.count()) {
        return;
    }
    results.removeRowAt(selectedRow);
}

}  // namespace quillora
