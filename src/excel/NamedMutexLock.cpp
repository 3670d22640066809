#include "NamedMutexLock.h"

#include <windows.h>

namespace xlw {

NamedMutexLock::NamedMutexLock() : mutex_(CreateMutexA(nullptr, FALSE, "xlw_mutex")) {
    WaitForSingleObject(mutex_, INFINITE);
}

NamedMutexLock::~NamedMutexLock() {
    ReleaseMutex(mutex_);
    CloseHandle(mutex_);
}

} // namespace xlw
