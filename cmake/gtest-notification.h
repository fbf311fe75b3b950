// GoogleTest's own Notification waits on std::mutex and
// std::condition_variable, which the win32-threads MinGW runtime does not
// provide. GoogleTest uses it only to start threads of its own thread tests;
// this one spins on an atomic flag instead. Forced into every Win32 C++
// translation unit so that GoogleTest and the tests see the same class.
#pragma once
#ifdef __cplusplus
#include <atomic>

namespace testing {
namespace internal {
class Notification {
public:
    Notification() : notified_(false) {}
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;
    void Notify() { notified_.store(true); }
    void WaitForNotification() {
        while (!notified_.load()) {
        }
    }

private:
    std::atomic<bool> notified_;
};
}  // namespace internal
}  // namespace testing
#define GTEST_HAS_NOTIFICATION_ 1
#endif
