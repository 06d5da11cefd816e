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
};

}  // namespace quillora
