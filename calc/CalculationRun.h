#pragma once

#include <chrono>
#include <functional>

#include "calc/ExactFold.h"
#include "calc/ResultsTableModel.h"
#include "core/Base.h"
#include "core/NumberSource.h"
#include "core/StepReport.h"
#include "core/WindowPorts.h"

namespace quillora {

// Everything a run reads and drives.
struct CalculationContext {
    const NumberSource& list;
    const BaseFlags& flags;
    ResultsTableModel& results;
    WindowPorts window;
    // Where the run hands the exact results it folded beside the doubles,
    // once its table is filled and before "Done." shows; nobody: not asked.
    std::function<void(const ExactResults&)> exactResults = {};
};

// How much work a run does between two turns of the event loop: short enough
// for the window to keep painting and answering.
inline constexpr std::chrono::milliseconds kYieldInterval{15};

// "Start Calculating": folds the four operations over the list and fills the
// results table, reporting failures under Form1.PushButton3_Click.
// The run yields to context.window.pump about every yieldInterval of work and after
// the last entry; a call made while a run is already under way (from inside
// one of its yields) does nothing.
void RunCalculation(const CalculationContext& context);
void RunCalculation(const CalculationContext& context, std::chrono::nanoseconds yieldInterval);

// "Clear Results", reported under Form1.PushButton7_Click.
void ClearResults(ResultsTableModel& results, FailureReport& report);

// Double-click on the results table: removes the selected row (-1 for none)
// unless the hourglass is up.
void RemoveSelectedResult(ResultsTableModel& results, const BusyState& busy, int selectedRow);

}  // namespace quillora
