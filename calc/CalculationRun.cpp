#include "calc/CalculationRun.h"

#include "calc/EntryReading.h"
#include "calc/ExactEntryFold.h"
#include "calc/ListFold.h"
#include "core/YieldPacer.h"

namespace quillora {

namespace {

// Step labels of adding each results row.
constexpr int RowLabel(Base base) {
    switch (base) {
        case Base::Decimal:
            return 206;
        case Base::Hexadecimal:
            return 218;
        case Base::Octal:
            return 230;
        case Base::Binary:
            return 242;
    }
    return 206;
}

// The window's run around the fold: the list looked up entry by entry, the
// busy guard, the yields and the progress bar, the results table and the
// messages.
class Run {
  public:
    Run(const CalculationContext& context, BusyGuard& busy, std::chrono::nanoseconds yieldInterval)
        : c_(context),
          busy_(busy),
          steps_(context.window.report, LocationName("Form1", "PushButton3_Click")),
          pacer_(std::chrono::duration_cast<YieldPacer::Clock::duration>(yieldInterval)),
          fold_(context.flags, steps_) {
        if (c_.exactResults) {
            fold_.alsoFold(&exact_);
        }
    }

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
        fold_.seed([&] { return RequireEntry(c_.list, 1); });
        fold();
        output();
    }

  private:
    void fold() {
        // The bound is read once; the list may still shrink or grow while the
        // run yields, so each entry is looked up afresh.
        long long n = 0;
        steps_(158, [&] { n = c_.list.count(); });
        for (long long i = 2; i <= n; ++i) {
            if (i > c_.list.count()) {
                break;  // entries were taken away during a yield: there is no entry i any more
            }
            fold_.fold([&] { return RequireEntry(c_.list, i); });
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
        const ResultTexts texts = fold_.texts();
        // The rows go in together, without a yield between them, so the table
        // holds this run's four rows whatever happened to it meanwhile.
        steps_(206, [&] { c_.results.clear(); });
        for (Base base : kAllBases) {
            steps_(RowLabel(base), [&] {
                const int row = c_.results.addRow(base);
                const auto& cells = texts.at(static_cast<std::size_t>(base));
                for (std::size_t k = 0; k < cells.size(); ++k) {
                    c_.results.setCell(row, static_cast<int>(k) + 1,
                                       QString::fromStdString(cells.at(k)));
                }
            });
        }
        if (c_.exactResults) {
            // Ready when "Done." shows; its own view writes it, and reports nothing.
            c_.exactResults(exact_.results());
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
    ListFold fold_;
    ExactEntryFold exact_;
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
