#include "driver/simulator/sim_session.h"

#include <filesystem>
#include <system_error>

#include "pixels/demosaic.h"

namespace simcam {

namespace {

bool CapOn(const std::string &cap_file) {
    std::error_code error;
    return !cap_file.empty() && std::filesystem::exists(cap_file, error);
}

}  // namespace

SimSession::SimSession() : renderer_(model_), exposures_(renderer_, controls_, drift_) {}

SimSession::~SimSession() = default;

int32_t SimSession::Connect() {
    // The controls keep what the program set before connecting.
    exposures_.Cancel();
    const SimSettings settings = ReadSimSettingsFromEnvironment();
    std::lock_guard lock(session_mutex_);
    settings_ = settings;
    connected_ = settings.camera_present;
    exposures_started_ = 0;
    return connected_ ? 1 : 0;
}

void SimSession::Disconnect() {
    {
        std::lock_guard lock(session_mutex_);
        connected_ = false;
    }
    exposures_.Cancel();
}

void SimSession::SetExposureSemaphore(void *semaphore) {
    semaphore_.store(semaphore, std::memory_order_relaxed);
}

void SimSession::SetFrame(int32_t x, int32_t y, int32_t width, int32_t height) {
    geometry_.SetFrame(x, y, width, height);
}

void SimSession::SetGain(int32_t red, int32_t green, int32_t blue, int32_t green2) {
    controls_.SetGainCodes(red, green, blue, green2);
}

void SimSession::StartExposure(uint8_t *buffer) {
    ExposureJob job;
    job.buffer = buffer;
    job.semaphore = semaphore_.load(std::memory_order_relaxed);
    job.render.window = geometry_.Window();
    job.render.exposure_ms = controls_.ExposureMs();
    job.render.gains = controls_.Gains();
    job.render.noise_reduction = controls_.NoiseReduction();
    job.fast_transfer = controls_.FastTransfer();
    {
        std::lock_guard lock(session_mutex_);
        job.render.sensor = settings_.sensor;
        job.render.seeing = settings_.seeing;
        job.render.noise = settings_.noise;
        job.render.covered = CapOn(settings_.cap_file);
        job.instant = settings_.instant;
        // Without a connected camera nothing ever comes back.
        job.answers = connected_ && (settings_.frames_before_hang < 0 ||
                                     exposures_started_ < settings_.frames_before_hang);
        ++exposures_started_;
    }
    exposures_.Start(job);
}

void SimSession::Guide(int32_t direction_bits, int32_t duration_ms) {
    drift_.Command(direction_bits, duration_ms, GuideDrift::Clock::now());
}

void SimSession::Demosaic(const uint8_t *mosaic, uint8_t *bgr, int32_t width, int32_t height) {
    DemosaicBilinear(mosaic, bgr, width, height);
}

}  // namespace simcam
