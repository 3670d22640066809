#include "Watchdog.h"

#include <utility>

namespace xlhost {

Watchdog::Watchdog(std::function<void()> expire) : expire_(std::move(expire)) {}

Watchdog::~Watchdog() {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        leaving_ = true;
    }
    changed_.notify_one();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void Watchdog::Start(std::chrono::milliseconds limit) {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        deadline_ = std::chrono::steady_clock::now() + limit;
        expired_ = false;
    }
    if (!thread_.joinable()) {
        thread_ = std::thread([this] { Run(); });
    }
    changed_.notify_one();
}

bool Watchdog::Stop() {
    const std::lock_guard<std::mutex> lock(mutex_);
    deadline_.reset();
    return expired_;
}

// `expire` runs under the lock, so that Stop cannot return while it runs.
void Watchdog::Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!leaving_) {
        if (!deadline_) {
            changed_.wait(lock);
        } else if (std::chrono::steady_clock::now() < *deadline_) {
            changed_.wait_until(lock, *deadline_);
        } else {
            deadline_.reset();
            expired_ = true;
            expire_();
        }
    }
}

} // namespace xlhost
