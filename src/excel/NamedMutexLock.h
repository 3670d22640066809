// Holds the system-wide mutex "xlw_mutex" for its lifetime. The name is shared
// with every module in any process that uses it, so each lock opens a fresh
// handle and waits without time limit.
#pragma once

namespace xlw {

class NamedMutexLock {
public:
    NamedMutexLock();
    ~NamedMutexLock();
    NamedMutexLock(const NamedMutexLock&) = delete;
    NamedMutexLock& operator=(const NamedMutexLock&) = delete;

private:
    void* mutex_;
};

} // namespace xlw
