#pragma once

#include "calc/ResultsTableModel.h"
#include "calc/UiPorts.h"
#include "engine/StepReport.h"

namespace quillora {

// What the three exports need of the window: the results table (ListView2),
// its dialogs, pointer, progress bar (ProgressBar1), event pump and the
// common error report. Form1 hands its own; tests hand fakes.
struct ExportContext {
    ResultsTableModel& table;
    Dialogs& dialogs;
    PointerPort& pointer;
    ProgressPort& progress;
    EventPump& pump;
    FailureReport& report;
};

}  // namespace quillora
