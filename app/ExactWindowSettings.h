#pragma once

#include <map>
#include <optional>

#include <QRect>
#include <QString>

#include "calc/ExactResultsTable.h"
#include "core/StepReport.h"
#include "store/SettingsStore.h"

// What the exact results window keeps in the settings store, beside the
// program's own keys.
namespace quillora {

struct ExactWindowState {
    ExactView view;
    bool open = false;
    std::optional<QRect> place;  // where the window stood; nothing: never placed
};

class ExactWindowSettings {
  public:
    explicit ExactWindowSettings(SettingsStore& store) : store_(store) {}

    // The stored state; a key that is absent or unreadable keeps its default
    // without a report, since start-up reports a store it cannot read already.
    ExactWindowState read();
    // Writes, in one safe write, only the keys whose text differs from what
    // was read or written last: a window left as it was writes nothing, so a
    // store that never saw the window never gets its keys.
    void write(const ExactWindowState& state);

  private:
    std::map<QString, QString> stored_;  // key -> text as it stands in the file
    SettingsStore& store_;
};

}  // namespace quillora
