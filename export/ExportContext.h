#pragma once

#include "calc/ResultsTableModel.h"
#include "core/WindowPorts.h"

namespace quillora {

// What the three exports work on: the results table (ListView2) and the
// window's ports. Form1 hands its own; tests hand fakes.
struct ExportContext {
    ResultsTableModel& table;
    WindowPorts window;
};

}  // namespace quillora
