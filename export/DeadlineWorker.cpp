#include "export/DeadlineWorker.h"

#include <condition_variable>
#include <deque>
#include <future>
#include <mutex>
#include <stdexcept>

namespace quillora {

struct DeadlineWorker::Shared {
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<std::packaged_task<void()>> tasks;
    bool stop = false;
};

DeadlineWorker::DeadlineWorker(EventPump* pump) : pump_(pump), shared_(std::make_shared<Shared>()) {
    // The thread holds the shared state itself, so an abandoned thread still
    // has it when its call returns at last.
    thread_ = std::thread([shared = shared_] {
        for (;;) {
            std::packaged_task<void()> task;
            {
                std::unique_lock lock(shared->mutex);
                shared->wake.wait(lock, [&] { return shared->stop || !shared->tasks.empty(); });
                if (shared->stop) {
                    return;
                }
                task = std::move(shared->tasks.front());
                shared->tasks.pop_front();
            }
            task();
        }
    });
}

DeadlineWorker::~DeadlineWorker() {
    {
        std::lock_guard lock(shared_->mutex);
        shared_->stop = true;
        shared_->tasks.clear();
    }
    shared_->wake.notify_all();
    if (abandoned_) {
        thread_.detach();
    } else {
        thread_.join();
    }
}

void DeadlineWorker::run(std::function<void()> task, std::chrono::milliseconds limit,
                         const std::string& timeoutMessage) {
    if (abandoned_) {
        throw std::runtime_error(abandonedMessage_);
    }
    std::packaged_task<void()> packaged(std::move(task));
    std::future<void> done = packaged.get_future();
    {
        std::lock_guard lock(shared_->mutex);
        shared_->tasks.push_back(std::move(packaged));
    }
    shared_->wake.notify_one();

    const auto deadline = std::chrono::steady_clock::now() + limit;
    constexpr auto slice = std::chrono::milliseconds(10);
    while (done.wait_for(pump_ != nullptr ? slice : limit) != std::future_status::ready) {
        if (std::chrono::steady_clock::now() >= deadline) {
            abandoned_ = true;
            abandonedMessage_ = timeoutMessage;
            throw std::runtime_error(timeoutMessage);
        }
        if (pump_ != nullptr) {
            pump_->processEvents();
        }
    }
    done.get();
}

}  // namespace quillora
