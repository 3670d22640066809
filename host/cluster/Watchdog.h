// A time limit on a wait that cannot be given one itself: a blocking read of
// an anonymous pipe. While a watch runs, the watchdog's own thread calls
// `expire` once the limit passes, which ends what the waiting thread waits
// for (the process at the pipe's other end), so that its read fails.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

namespace xlhost {

class Watchdog {
public:
    explicit Watchdog(std::function<void()> expire);
    ~Watchdog();
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

    void Start(std::chrono::milliseconds limit);
    // Ends the watch. True when its limit passed first: `expire` has then run
    // and returned.
    bool Stop();

private:
    void Run();

    std::function<void()> expire_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::optional<std::chrono::steady_clock::time_point> deadline_;
    bool expired_ = false;
    bool leaving_ = false;
    std::thread thread_; // started on the first watch
};

} // namespace xlhost
