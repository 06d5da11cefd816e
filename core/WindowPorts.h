#pragma once

#include "core/BusyGuard.h"
#include "core/StepReport.h"
#include "core/UiPorts.h"

namespace quillora {

// The window as every long operation sees it: the questions it asks, the
// pointer it shows and what the operations under way keep out, the progress
// bar and the event loop it yields to, and the one error report. Form1
// hands its own; tests hand fakes. Each room's context adds only the models
// that room works on.
struct WindowPorts {
    Dialogs& dialogs;
    PointerPort& pointer;
    BusyState& busy;
    ProgressPort& progress;
    EventPump& pump;
    FailureReport& report;
};

}  // namespace quillora
