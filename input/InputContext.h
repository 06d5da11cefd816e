#pragma once

#include "core/Base.h"
#include "core/WindowPorts.h"
#include "input/NumberListModel.h"

namespace quillora {

// What the list-editing and list-loading handlers read and drive. Form1 fills
// it from its own widgets; tests fill it with fakes.
struct InputContext {
    NumberListModel& list;
    const BaseFlags& flags;
    // A long file load shows its progress on window.progress and yields to
    // window.pump.
    WindowPorts window;
};

}  // namespace quillora
