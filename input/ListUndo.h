#pragma once

#include <functional>
#include <optional>

#include <QObject>

#include "core/Base.h"
#include "input/NumberListModel.h"

namespace quillora {

// What the list held before entries went, and the base they were written in.
struct ListSnapshot {
    EntryBatch entries;
    std::optional<Base> base;
};

// One level of undo for the number list. It watches the list: whatever
// removes entries (Clear List, a removal, the emptying by a base change)
// leaves a snapshot of the list as it was, and whatever adds entries drops
// the snapshot, so an undo never throws away numbers added since. The base is
// told by the window as each base is chosen; a base change empties the list
// after the new base is on, so the snapshot keeps the base told before.
class ListUndo : public QObject {
  public:
    explicit ListUndo(NumberListModel& list, QObject* parent = nullptr);

    void setBase(std::optional<Base> base) { base_ = base; }
    bool canUndo() const { return snapshot_.has_value(); }
    // Puts the list back as the snapshot has it: first the snapshot's base
    // through selectBase (which empties the list as a base change does), then
    // its entries in place of the list's own. A failure throws with the
    // snapshot kept, so the undo can be tried again. False when there is
    // nothing to undo.
    bool undo(const std::function<void(Base)>& selectBase);

  private:
    void entriesGoing();
    void entriesCame();

    NumberListModel& list_;
    std::optional<Base> base_;
    std::optional<ListSnapshot> snapshot_;
    bool restoring_ = false;
};

}  // namespace quillora
