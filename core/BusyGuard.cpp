#include "core/BusyGuard.h"

namespace quillora {

BusyGuard::BusyGuard(BusyState& state, PointerPort& pointer, Operation operation)
    : state_(state), pointer_(pointer) {
    if (operation != Operation::Run) {
        return;
    }
    if (state_.runUnderWay()) {
        // A run started from inside another's yield would reset the pointer
        // and the progress bar under the first and show "Done." in its middle.
        refused_ = true;
        return;
    }
    claimsRun_ = true;
    if (state_.runs_++ == 0 && state_.listener_) {
        state_.listener_(true);
    }
}

BusyGuard::~BusyGuard() {
    if (shown_) {
        // Only a path that left before its own closing step gets here; the
        // steps have already reported whatever failed.
        try {
            putPointerBack();
        } catch (...) {
        }
    }
    if (claimsRun_ && --state_.runs_ == 0 && state_.listener_) {
        state_.listener_(false);
    }
}

void BusyGuard::showHourglass() {
    found_ = pointer_.pointer();
    pointer_.setPointer(Pointer::Busy);
    shown_ = true;
}

void BusyGuard::endHourglass() {
    shown_ = false;  // tried once at its own label, whether or not it fails
    putPointerBack();
}

void BusyGuard::putPointerBack() {
    pointer_.setPointer(found_ == Pointer::Busy ? Pointer::Busy : Pointer::Default);
}

}  // namespace quillora
