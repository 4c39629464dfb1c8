#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

// A counting semaphore of the program's own, between its threads: releases
// beyond the maximum count are dropped, and every wait is bounded.
class ProgramSemaphore {
  public:
    ProgramSemaphore(int32_t initial, int32_t maximum) : count_(initial), maximum_(maximum) {}
    ProgramSemaphore(const ProgramSemaphore &) = delete;
    ProgramSemaphore &operator=(const ProgramSemaphore &) = delete;

    // Adds one to the count, unless it is at the maximum already.
    void Release();
    // Takes one, waiting at most timeout_ms; false on time-out.
    bool Wait(uint32_t timeout_ms);
    // Forgets the releases nobody has taken.
    void Drain();

  private:
    std::mutex mutex_;
    std::condition_variable released_;
    int32_t count_;
    const int32_t maximum_;
};
