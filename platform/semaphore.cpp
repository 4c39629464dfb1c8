#include "platform/semaphore.h"

#include <cerrno>
#include <ctime>

#if defined(_WIN32)
#include <windows.h>

DriverSemaphore::DriverSemaphore() : handle_(CreateSemaphoreW(nullptr, 0, 1, L"EXPOSURE")) {}
DriverSemaphore::~DriverSemaphore() {
    CloseHandle(handle_);
}
bool DriverSemaphore::Wait(uint32_t timeout_ms) {
    return WaitForSingleObject(handle_, timeout_ms) == WAIT_OBJECT_0;
}
void DriverSemaphore::Drain() {
    while (WaitForSingleObject(handle_, 0) == WAIT_OBJECT_0) {
    }
}
#else

DriverSemaphore::DriverSemaphore() {
    sem_init(&semaphore_, 0, 0);
}
DriverSemaphore::~DriverSemaphore() {
    sem_destroy(&semaphore_);
}

bool DriverSemaphore::Wait(uint32_t timeout_ms) {
    // sem_timedwait counts on the wall clock, which a clock change can move;
    // the waits are short slices, so a moved clock costs one slice at most.
    // (sem_clockwait would avoid that, but the thread checker cannot see
    // through it and then reports every frame as a race.)
    timespec deadline{};
    clock_gettime(CLOCK_REALTIME, &deadline);
    deadline.tv_sec += timeout_ms / 1000;
    deadline.tv_nsec += static_cast<long>(timeout_ms % 1000) * 1000000L;
    if (deadline.tv_nsec >= 1000000000L) {
        deadline.tv_sec += 1;
        deadline.tv_nsec -= 1000000000L;
    }
    while (sem_timedwait(&semaphore_, &deadline) != 0) {
        if (errno != EINTR) {
            return false;
        }
    }
    return true;
}

void DriverSemaphore::Drain() {
    while (sem_trywait(&semaphore_) == 0) {
    }
}
#endif
