#pragma once

#include <cstdint>

#if defined(_WIN32)
using DriverSemaphoreHandle = void *;  // a semaphore HANDLE
#else
#include <semaphore.h>
using DriverSemaphoreHandle = sem_t *;
#endif

// The semaphore the camera driver releases at the end of each exposure. The
// driver gets the platform's own semaphore object, since it releases it with
// the platform's call (sem_post, ReleaseSemaphore); maximum count 1.
class DriverSemaphore {
  public:
    DriverSemaphore();
    ~DriverSemaphore();
    DriverSemaphore(const DriverSemaphore &) = delete;
    DriverSemaphore &operator=(const DriverSemaphore &) = delete;

    DriverSemaphoreHandle Handle() { return handle_; }
    // Takes one release, waiting at most timeout_ms; false on time-out.
    bool Wait(uint32_t timeout_ms);
    // Forgets releases that arrived while nobody waited (a cancelled exposure
    // released after its wait was given up), so the count never exceeds one.
    void Drain();

  private:
#if defined(_WIN32)
    void *handle_;
#else
    sem_t semaphore_;
    sem_t *handle_ = &semaphore_;
#endif
};
