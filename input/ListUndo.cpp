#include "input/ListUndo.h"

namespace quillora {

ListUndo::ListUndo(NumberListModel& list, QObject* parent) : QObject(parent), list_(list) {
    connect(&list_, &QAbstractItemModel::rowsAboutToBeRemoved, this, [this] { entriesGoing(); });
    connect(&list_, &QAbstractItemModel::modelAboutToBeReset, this, [this] { entriesGoing(); });
    connect(&list_, &QAbstractItemModel::rowsInserted, this, [this] { entriesCame(); });
}

bool ListUndo::undo(const std::function<void(Base)>& selectBase) {
    if (!snapshot_) {
        return false;
    }
    restoring_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{restoring_};
    if (snapshot_->base) {
        selectBase(*snapshot_->base);
    }
    // Clear, then append: appending first would hold both lists at once. The
    // append fails all or nothing and the snapshot stays until it succeeded.
    list_.clear();
    list_.appendMany(snapshot_->entries);
    snapshot_.reset();
    return true;
}

void ListUndo::entriesGoing() {
    // Emptying an empty list loses nothing, so the last loss stays undoable.
    if (restoring_ || list_.isEmpty()) {
        return;
    }
    ListSnapshot snapshot;
    snapshot.base = base_;
    for (int row = 0; row < list_.count(); ++row) {
        snapshot.entries.add(list_.entry(row));
    }
    snapshot_ = std::move(snapshot);
}

void ListUndo::entriesCame() {
    if (!restoring_) {
        snapshot_.reset();
    }
}

}  // namespace quillora
