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

// What the simulated sensor is beyond its size and depth.
constexpr int32_t PIXEL_SIZE_NM = 3750;
// Gain register codes, as SetGain takes them.
constexpr int32_t LOWEST_GAIN_CODE = 1;
constexpr int32_t HIGHEST_GAIN_CODE = 0x67;

}  // namespace

SimSession::SimSession()
    : scene_(std::make_shared<Scene>(SensorSize{})), exposures_(controls_, drift_) {}

SimSession::~SimSession() = default;

int32_t SimSession::Connect() {
    // The controls keep what the program set before connecting, all but the
    // sample depth: a program that never asks for 16-bit samples must not
    // get them from an earlier connection, they would overrun its buffers.
    exposures_.Cancel();
    wide_samples_.store(false, std::memory_order_relaxed);
    const SimSettings settings = ReadSimSettingsFromEnvironment();
    const SensorSize sensor{settings.width, settings.height};
    std::shared_ptr<Scene> scene;
    {
        std::lock_guard lock(session_mutex_);
        scene = scene_;
    }
    if (scene->model.Sensor() != sensor) {
        scene = std::make_shared<Scene>(sensor);
    }
    geometry_.SetSensor(sensor);
    std::lock_guard lock(session_mutex_);
    scene_ = std::move(scene);
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

void SimSession::SetSampleDepth(int32_t bits) {
    // Only the two depths the entry knows; anything else keeps the last.
    if (bits == 8 || bits == 16) {
        wide_samples_.store(bits == 16, std::memory_order_relaxed);
    }
}

SensorDescription SimSession::Describe() const {
    std::lock_guard lock(session_mutex_);
    SensorDescription description;
    description.width = settings_.width;
    description.height = settings_.height;
    description.bit_depth = settings_.bit_depth;
    // Frame row 0 is the sensor's bottom row and even frame rows are G R; a
    // sensor of even height therefore has B G on its top row.
    const bool colour = settings_.sensor == SensorKind::Colour;
    description.bayer_pattern = colour ? BAYER_BGGR : BAYER_NONE;
    description.pixel_size_nm = PIXEL_SIZE_NM;
    description.name = colour ? "MELKOTAR simulator, colour" : "MELKOTAR simulator, mono";
    description.shortest_exposure_us = SHORTEST_EXPOSURE_US;
    description.longest_exposure_us = LONGEST_OFFERED_EXPOSURE_US;
    description.exposure_step_us = EXPOSURE_STEP_US;
    description.lowest_gain = LOWEST_GAIN_CODE;
    description.highest_gain = HIGHEST_GAIN_CODE;
    return description;
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
    job.render.exposure_ms = static_cast<double>(controls_.ExposureUs()) / 1000.0;
    job.render.wide_samples = wide_samples_.load(std::memory_order_relaxed);
    job.render.gains = controls_.Gains();
    job.render.noise_reduction = controls_.NoiseReduction();
    job.fast_transfer = controls_.FastTransfer();
    {
        std::lock_guard lock(session_mutex_);
        job.renderer = std::shared_ptr<SceneRenderer>(scene_, &scene_->renderer);
        job.render.sensor = settings_.sensor;
        job.render.bit_depth = settings_.bit_depth;
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
