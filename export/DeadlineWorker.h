#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "core/UiPorts.h"

namespace quillora {

// Runs blocking calls on a thread of their own and waits for each only until
// its deadline, letting the window's events run meanwhile. A call that misses
// its deadline cannot be taken back: its thread is abandoned to it, and every
// later call fails at once instead of waiting again.
class DeadlineWorker {
  public:
    // pump may be null: the wait then just blocks, up to the deadline.
    explicit DeadlineWorker(EventPump* pump);
    ~DeadlineWorker();
    DeadlineWorker(const DeadlineWorker&) = delete;
    DeadlineWorker& operator=(const DeadlineWorker&) = delete;

    // Rethrows what the task threw. The task may outlive this call, so it
    // must own everything it uses (capture by value).
    void run(std::function<void()> task, std::chrono::milliseconds limit,
             const std::string& timeoutMessage);

    bool abandoned() const { return abandoned_; }

  private:
    struct Shared;

    EventPump* pump_;
    std::shared_ptr<Shared> shared_;
    std::thread thread_;
    bool abandoned_ = false;
    std::string abandonedMessage_;
};

}  // namespace quillora
