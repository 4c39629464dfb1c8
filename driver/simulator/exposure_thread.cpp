#include "driver/simulator/exposure_thread.h"

#include <algorithm>

#if defined(_WIN32)
#include <windows.h>
#else
#include <semaphore.h>
#endif

namespace simcam {

void SignalFrameReady(void *semaphore) {
    if (semaphore == nullptr) {
        return;
    }
#if defined(_WIN32)
    ::ReleaseSemaphore(static_cast<HANDLE>(semaphore), 1, nullptr);
#else
    sem_post(static_cast<sem_t *>(semaphore));
#endif
}

ExposureThread::ExposureThread(const CameraControls &controls, const GuideDrift &drift)
    : controls_(controls), drift_(drift), worker_([this] { Run(); }) {}

ExposureThread::~ExposureThread() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    worker_.join();
}

void ExposureThread::Start(const ExposureJob &job) {
    {
        std::lock_guard lock(mutex_);
        jobs_.push_back({job, cancel_generation_});
    }
    wake_.notify_all();
}

void ExposureThread::Cancel() {
    {
        std::lock_guard lock(mutex_);
        ++cancel_generation_;
    }
    wake_.notify_all();
}

void ExposureThread::Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
        if (stopping_) {
            return;
        }
        QueuedJob queued = jobs_.front();
        lock.unlock();
        const bool done = Expose(queued);
        lock.lock();
        jobs_.pop_front();
        if (!done) {
            return;
        }
    }
}

bool ExposureThread::Expose(QueuedJob &queued) {
    ExposureJob &job = queued.job;
    const Clock::time_point start = Clock::now();
    if (job.instant && job.answers) {
        ExposeInstantly(job);
        return true;
    }
    if (!job.answers) {
        if (WaitUntil(std::nullopt, queued.cancel_generation) == WaitEnd::Stopping) {
            return false;
        }
        if (job.buffer != nullptr) {
            std::fill_n(job.buffer, job.FrameBytes(), uint8_t{0});
        }
        SignalFrameReady(job.semaphore);
        return true;
    }

    const auto requested = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double, std::milli>(job.render.exposure_ms));
    const WaitEnd exposure_end = WaitUntil(start + requested, queued.cancel_generation);
    if (exposure_end == WaitEnd::Stopping) {
        return false;
    }
    const Clock::time_point light_end =
        exposure_end == WaitEnd::Deadline ? start + requested : Clock::now();
    const Clock::time_point readout_end =
        Clock::now() + ReadoutTime(job.render.window, job.fast_transfer, controls_.VblankLines(),
                                   job.render.wide_samples);

    job.render.exposure_ms = std::chrono::duration<double, std::milli>(light_end - start).count();
    const GuideDrift::Offset drift = drift_.OffsetAt(start + (light_end - start) / 2);
    job.render.drift_right = drift.right;
    job.render.drift_down = drift.down;
    job.renderer->Render(job.render, job.buffer);

    // A cancelled exposure skips the rest of its read-out as well.
    if (exposure_end == WaitEnd::Deadline &&
        WaitUntil(readout_end, queued.cancel_generation) == WaitEnd::Stopping) {
        return false;
    }
    SignalFrameReady(job.semaphore);
    return true;
}

void ExposureThread::ExposeInstantly(const ExposureJob &job) {
    const size_t bytes = job.FrameBytes();
    const bool same_picture = instant_job_.renderer == job.renderer &&
                              instant_job_.render.window == job.render.window &&
                              instant_job_.render.bit_depth == job.render.bit_depth &&
                              instant_job_.render.wide_samples == job.render.wide_samples;
    if (!same_picture) {
        instant_picture_.resize(bytes);
        instant_job_ = job;
        job.renderer->Render(job.render, instant_picture_.data());
    }
    if (job.buffer != nullptr) {
        std::copy_n(instant_picture_.data(), bytes, job.buffer);
    }
    SignalFrameReady(job.semaphore);
}

ExposureThread::WaitEnd ExposureThread::WaitUntil(std::optional<Clock::time_point> deadline,
                                                  uint64_t cancel_generation) {
    std::unique_lock lock(mutex_);
    const auto ended = [&] { return stopping_ || cancel_generation_ != cancel_generation; };
    if (deadline) {
        wake_.wait_until(lock, *deadline, ended);
    } else {
        wake_.wait(lock, ended);
    }
    if (stopping_) {
        return WaitEnd::Stopping;
    }
    return cancel_generation_ != cancel_generation ? WaitEnd::Cancelled : WaitEnd::Deadline;
}

}  // namespace simcam
