// For calls that must never wait (opening a FIFO, say): the call runs on a
// thread of its own, and the test fails instead of hanging when it has not
// returned within ten seconds. `release` must then make it return (opening
// the other end of the FIFO does). POSIX hosts only.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

template <typename Result>
Result WithinTenSeconds(const std::function<Result()>& call, const std::function<void()>& release) {
    std::mutex lock;
    std::condition_variable done;
    bool finished = false;
    Result result{};
    std::thread worker([&] {
        Result got = call();
        std::lock_guard<std::mutex> guard(lock);
        result = got;
        finished = true;
        done.notify_all();
    });
    std::unique_lock<std::mutex> guard(lock);
    if (!done.wait_for(guard, std::chrono::seconds(10), [&] { return finished; })) {
        ADD_FAILURE() << "the call was still waiting after ten seconds";
        guard.unlock();
        release();
        worker.join();
        return result;
    }
    guard.unlock();
    worker.join();
    return result;
}
