#pragma once

#include <functional>

#include "core/UiPorts.h"

// Long operations hand the event loop turns in their middle (the run about
// every 15 ms, the exports before every row and cell, list-file loads during
// long reads), and the user's clicks, keys, pastes and drops run their
// handlers inside those turns. BusyState is what one window knows of the
// operations under way; BusyGuard is what each operation holds while it
// works. docs/ARCHITECTURE.md tells which handler waits for what.
namespace quillora {

class BusyState {
  public:
    explicit BusyState(const PointerPort& pointer) : pointer_(pointer) {}
    BusyState(const BusyState&) = delete;
    BusyState& operator=(const BusyState&) = delete;

    // A calculation run is under way, perhaps yielding: a second run does
    // nothing, and nothing may change the list or the base under it.
    bool runUnderWay() const { return runs_ > 0; }

    // The hourglass is up: removing or clearing entries and rows, and undoing,
    // do nothing, since an operation under it is reading them. This is the
    // pointer itself, so what the user sees is exactly what holds.
    bool hourglassUp() const { return pointer_.isBusy(); }

    // Told true as a run begins and false once it has ended, "Done." included;
    // the window greys the controls that would change the list or the base.
    void onRunUnderWay(std::function<void(bool)> listener) { listener_ = std::move(listener); }

  private:
    friend class BusyGuard;
    const PointerPort& pointer_;
    int runs_ = 0;
    std::function<void(bool)> listener_;
};

class BusyGuard {
  public:
    enum class Operation {
        Run,    // "Start Calculating": refused inside another run
        Other,  // exports, loads, long pastes: may run inside any yield
    };

    BusyGuard(BusyState& state, PointerPort& pointer, Operation operation);
    ~BusyGuard();
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;

    // The operation was asked for inside a run's yield and must do nothing.
    bool refused() const { return refused_; }

    // Each is the whole action of one labelled step of the operation, so a
    // failure is reported at that label like any other.
    // Shows the hourglass, remembering the pointer it found.
    void showHourglass();
    // What the operation shows when it ends: the arrow, unless it found
    // another operation's hourglass (an export pressed during a run), which
    // must stay, for it keeps the list and the results whole under that one.
    void endHourglass();

  private:
    void putPointerBack();

    BusyState& state_;
    PointerPort& pointer_;
    Pointer found_ = Pointer::Default;  // what showHourglass found
    bool claimsRun_ = false;
    bool refused_ = false;
    bool shown_ = false;
};

}  // namespace quillora
