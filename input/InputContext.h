#pragma once

#include "calc/Base.h"
#include "calc/UiPorts.h"
#include "engine/StepReport.h"
#include "input/NumberListModel.h"

namespace quillora {

// What the list-editing and list-loading handlers read and drive. Form1 fills
// it from its own widgets; tests fill it with fakes.
struct InputContext {
    NumberListModel& list;
    const BaseFlags& flags;
    PointerPort& pointer;
    Dialogs& dialogs;
    FailureReport& report;
    // What a long file load shows its progress on and yields to; without them
    // a load runs to its end in one go.
    ProgressPort* progress = nullptr;
    EventPump* pump = nullptr;
};

}  // namespace quillora
