#include "excel/NamedMutexLock.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <memory>
#include <thread>

using xlw::NamedMutexLock;

TEST(NamedMutexLock, SecondThreadWaitsUntilTheFirstReleases) {
    auto first = std::make_unique<NamedMutexLock>();
    std::atomic<bool> secondHolds{false};
    std::thread second([&] {
        NamedMutexLock lock;
        secondHolds = true;
    });
    Sleep(300);
    EXPECT_FALSE(secondHolds);
    first.reset();
    second.join();
    EXPECT_TRUE(secondHolds);
}

TEST(NamedMutexLock, HoldsTheSystemWideNameAndGivesItBack) {
    // Other test processes under the same Wine server share the name, hence
    // a wait with some patience for the free mutex.
    const auto tryFromOtherThread = [](DWORD milliseconds) {
        DWORD result = 0;
        std::thread other([&, milliseconds] {
            HANDLE mutex = CreateMutexA(nullptr, FALSE, "xlw_mutex");
            result = WaitForSingleObject(mutex, milliseconds);
            if (result == WAIT_OBJECT_0)
                ReleaseMutex(mutex);
            CloseHandle(mutex);
        });
        other.join();
        return result;
    };
    {
        NamedMutexLock lock;
        EXPECT_EQ(tryFromOtherThread(0), static_cast<DWORD>(WAIT_TIMEOUT));
    }
    EXPECT_EQ(tryFromOtherThread(10000), static_cast<DWORD>(WAIT_OBJECT_0));
}
