#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "driver/simulator/camera_controls.h"
#include "driver/simulator/guide_drift.h"
#include "driver/simulator/scene_renderer.h"

namespace simcam {

// Releases the platform semaphore of an exposure (a sem_t * on POSIX, a
// semaphore HANDLE on Windows); nothing for null.
void SignalFrameReady(void *semaphore);

// One exposure as the program started it.
struct ExposureJob {
    // What renders the frame: the scene of the sensor connected when the
    // exposure started.
    std::shared_ptr<SceneRenderer> renderer;
    uint8_t *buffer = nullptr;
    // The platform semaphore to release once the buffer is full (a sem_t *
    // on POSIX, a semaphore HANDLE on Windows); may be null.
    void *semaphore = nullptr;
    // exposure_ms is the requested length; the thread puts in what it got.
    RenderRequest render;
    bool fast_transfer = false;
    // False when the camera has stopped answering: the exposure then only
    // ends when it is cancelled, with an empty (black) frame.
    bool answers = true;
    // No exposure or read-out time: the frame is a copy of the last picture
    // rendered for the same request.
    bool instant = false;

    size_t FrameBytes() const {
        return static_cast<size_t>(render.window.FrameBytes()) * (render.wide_samples ? 2 : 1);
    }
};

// The camera's worker: exposes, reads out (renders the frame into the
// caller's buffer), then releases the job's semaphore exactly once. Jobs run
// one after the other in the order started. Start comes from the acquisition
// thread, Cancel from any thread.
class ExposureThread {
  public:
    ExposureThread(const CameraControls &controls, const GuideDrift &drift);
    // Stops the worker. A job still running is abandoned: its buffer gets no
    // more writes and its semaphore is not released, since the caller may be
    // gone too (the library is being unloaded).
    ~ExposureThread();
    ExposureThread(const ExposureThread &) = delete;
    ExposureThread &operator=(const ExposureThread &) = delete;

    // Queues the job and returns at once.
    void Start(const ExposureJob &job);
    // Every job started before this call ends early: a running exposure stops
    // collecting light, is read out at once and still releases its semaphore.
    // Jobs started later are not affected.
    void Cancel();

  private:
    using Clock = std::chrono::steady_clock;
    enum class WaitEnd { Deadline, Cancelled, Stopping };

    struct QueuedJob {
        ExposureJob job;
        uint64_t cancel_generation;  // Cancel calls seen when it was started
    };

    void Run();
    // False when the thread must stop before the job is done.
    bool Expose(QueuedJob &queued);
    void ExposeInstantly(const ExposureJob &job);
    // Waits until the deadline (none: forever) unless the job is cancelled or
    // the thread stops first.
    WaitEnd WaitUntil(std::optional<Clock::time_point> deadline, uint64_t cancel_generation);

    const CameraControls &controls_;
    const GuideDrift &drift_;

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<QueuedJob> jobs_;
    uint64_t cancel_generation_ = 0;
    bool stopping_ = false;
    // The instant camera's picture and the job it was rendered for; this
    // thread only.
    std::vector<uint8_t> instant_picture_;
    ExposureJob instant_job_;
    std::thread worker_;  // last, so it starts after everything it uses
};

}  // namespace simcam
