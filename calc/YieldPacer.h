#pragma once

#include <chrono>

namespace quillora {

// Tells a long loop when it has worked long enough to let the event loop run
// again. Checking a steady clock costs far less than yielding per item, and
// keeps the window answering however fast or slow each item is.
class YieldPacer {
  public:
    using Clock = std::chrono::steady_clock;

    explicit YieldPacer(Clock::duration interval) : interval_(interval), last_(Clock::now()) {}

    bool due() const { return Clock::now() - last_ >= interval_; }
    void restart() { last_ = Clock::now(); }

  private:
    Clock::duration interval_;
    Clock::time_point last_;
};

}  // namespace quillora
