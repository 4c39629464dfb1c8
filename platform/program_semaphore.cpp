#include "platform/program_semaphore.h"

#include <chrono>

void ProgramSemaphore::Release() {
    {
        std::lock_guard lock(mutex_);
        if (count_ >= maximum_) {
            return;
        }
        ++count_;
    }
    released_.notify_one();
}

bool ProgramSemaphore::Wait(uint32_t timeout_ms) {
    std::unique_lock lock(mutex_);
    if (!released_.wait_for(lock, std::chrono::milliseconds(timeout_ms),
                            [this] { return count_ > 0; })) {
        return false;
    }
    --count_;
    return true;
}

void ProgramSemaphore::Drain() {
    std::lock_guard lock(mutex_);
    count_ = 0;
}
