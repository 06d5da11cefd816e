#pragma once

#include <chrono>

namespace quillora {

// Tells a long loop when it has worked long enough to let the event loop run
// again. Checking a steady clock costs far less than yielding per item, and
// keeps the window answering however fast or slow each item is; over items of
// a few nanoseconds even the clock would cost as much as the work, so while
// items stay quick the clock is read only every few of them. A slow item sends
// the pacer back to reading it after every item.
class YieldPacer {
  public:
    using Clock = std::chrono::steady_clock;

    explicit YieldPacer(Clock::duration interval)
        : interval_(interval), last_(Clock::now()), lastCheck_(last_) {}

    bool due() {
        if (interval_ <= Clock::duration::zero()) {
            return true;
        }
        if (--countdown_ > 0) {
            return false;
        }
        const Clock::time_point now = Clock::now();
        const Clock::duration since = now - lastCheck_;
        lastCheck_ = now;
        if (since > interval_ / kChecksPerInterval) {
            stride_ = 1;
        } else if (since < interval_ / (2 * kChecksPerInterval) && stride_ < kLongestStride) {
            stride_ *= 2;
        }
        countdown_ = stride_;
        return now - last_ >= interval_;
    }

    void restart() {
        last_ = Clock::now();
        lastCheck_ = last_;
    }

  private:
    static constexpr int kChecksPerInterval = 32;
    static constexpr int kLongestStride = 16;

    Clock::duration interval_;
    Clock::time_point last_;
    Clock::time_point lastCheck_;
    int stride_ = 1;
    int countdown_ = 1;
};

}  // namespace quillora
