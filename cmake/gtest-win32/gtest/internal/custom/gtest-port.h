// GoogleTest customisation for mingw-w64's win32 thread model, whose libstdc++
// has no std::mutex or std::condition_variable. GoogleTest's Notification only
// serves its own threading helpers, which our tests never start, so a spinning
// flag is enough; it keeps <windows.h> and its macros out of every test.
// Found before GoogleTest's own (empty) custom header because
// cmake/testing.cmake puts this folder first in the Windows build.
#pragma once

#if defined(_WIN32)
#include <atomic>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing::internal {

class Notification {
public:
    Notification() = default;
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;

    void Notify() { notified_.store(true); }
    void WaitForNotification() {
        while (!notified_.load()) {
        }
    }

private:
    std::atomic<bool> notified_{false};
};

}  // namespace testing::internal
#endif
