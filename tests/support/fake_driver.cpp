#include "support/fake_driver.h"

#include <algorithm>
#include <chrono>
#include <stdexcept>

namespace fake_driver {
namespace {

State g_state;

int32_t FrameBytes() {
    const int shift = g_state.last_binning - 1;
    return (g_state.last_frame[2] >> shift) * (g_state.last_frame[3] >> shift);
}

void Release() {
    sem_post(g_state.semaphore.load());
}

void ThreadedExposure(uint8_t *buffer) {
    // The old cancel is forgotten before the exposure counts as started: a
    // test that sees it started and cancels it at once must not lose that
    // cancel to this line.
    g_state.cancel_requested = false;
    ++g_state.exposures_started;
    if (g_state.sample_depth == 16) {
        // Deep exposures are only ever asked to complete at once.
        std::fill_n(reinterpret_cast<uint16_t *>(buffer), FrameBytes(), g_state.deep_fill.load());
        Release();
        return;
    }
    const int32_t bytes = FrameBytes();
    const uint8_t value = g_state.fill_value;
    std::lock_guard lock(g_state.workers_mutex);
    if (g_state.timed_exposures) {
        const auto end = std::chrono::steady_clock::now() +
                         std::chrono::milliseconds(g_state.last_expo_ms.load());
        g_state.workers.emplace_back([buffer, bytes, value, end] {
            while (std::chrono::steady_clock::now() < end && !g_state.cancel_requested) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            std::memset(buffer, value, bytes);
            Release();
        });
        return;
    }
    if (!g_state.hold_exposures) {
        std::memset(buffer, value, bytes);
        Release();
        return;
    }
    const bool dead = g_state.ignore_cancel;
    g_state.workers.emplace_back([buffer, bytes, value, dead] {
        while (g_state.hold_exposures && (dead || !g_state.cancel_requested)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        if (dead) {
            return;  // a camera that stopped answering never gives the frame back
        }
        std::memset(buffer, value, bytes);
        Release();
    });
}

}  // namespace

State &state() {
    return g_state;
}

void SetExpoTimeUs(int32_t us) {
    g_state.last_expo_us = us;
}

CameraDriver Driver() {
    CameraDriver d;
    d._staticCall = [] {};
    d.openUSB = [](int32_t) { return g_state.camera_answer.load(); };
    d.SetNoiseReduction = [](int32_t) {};
    d.ExposureSemaphore = [](DriverSemaphoreHandle sem) { g_state.semaphore = sem; };
    d.SetFrame = [](int32_t x, int32_t y, int32_t w, int32_t h) {
        g_state.last_frame[0] = x;
        g_state.last_frame[1] = y;
        g_state.last_frame[2] = w;
        g_state.last_frame[3] = h;
    };
    d.SetBinning = [](int32_t code) { g_state.last_binning = code; };
    d.SetExpoTime = [](int32_t ms) {
        if (g_state.fail_in_set_expo) {
            throw std::runtime_error("the driver failed");
        }
        g_state.last_expo_ms = ms;
    };
    d.SetGain = [](int32_t r, int32_t g, int32_t b, int32_t g2) {
        g_state.last_gain[0] = r;
        g_state.last_gain[1] = g;
        g_state.last_gain[2] = b;
        g_state.last_gain[3] = g2;
    };
    d.HighVolumeUSB = [](int32_t on) { g_state.last_usb = on; };
    d.ThreadedExposure = ThreadedExposure;
    d.CancelExposure = [] {
        ++g_state.cancels;
        g_state.cancel_requested = true;
    };
    d.debayerImage = [](const uint8_t *, uint8_t *bgr, int32_t w, int32_t h) {
        // A recognisable colour, so tests can tell the demosaic path was taken.
        for (int32_t i = 0; i < w * h; ++i) {
            bgr[3 * i] = 1;
            bgr[3 * i + 1] = 2;
            bgr[3 * i + 2] = 3;
        }
    };
    d.SetVBLANK = [](int32_t) {};
    d.CopyRight = [] { return 0; };
    d.GuideCommand = [](int32_t bits, int32_t ms) { g_state.guide_calls.emplace_back(bits, ms); };
    if (g_state.sensor_width > 0) {
        d.SensorWidth = [] { return g_state.sensor_width.load(); };
        d.SensorHeight = [] { return g_state.sensor_height.load(); };
        d.SensorBitDepth = [] { return g_state.sensor_bit_depth.load(); };
        d.SensorBayerPattern = [] { return g_state.sensor_pattern.load(); };
    }
    return d;
}

CameraDriver DeepDriver(int32_t bits) {
    CameraDriver d = Driver();
    g_state.sensor_bit_depth = bits;
    d.SensorBitDepth = [] { return g_state.sensor_bit_depth.load(); };
    d.SetSampleDepth = [](int32_t depth) { g_state.sample_depth = depth; };
    return d;
}

void Reset() {
    g_state.hold_exposures = false;
    g_state.ignore_cancel = false;
    g_state.timed_exposures = false;
    g_state.fail_in_set_expo = false;
    std::vector<std::thread> workers;
    {
        std::lock_guard lock(g_state.workers_mutex);
        workers.swap(g_state.workers);
    }
    for (auto &worker : workers)
        worker.join();
    g_state.camera_answer = 1;
    g_state.fill_value = 7;
    g_state.deep_fill = 1000;
    g_state.sample_depth = 8;
    g_state.exposures_started = 0;
    g_state.cancels = 0;
    g_state.last_expo_ms = -1;
    g_state.last_expo_us = -1;
    g_state.last_binning = 0;
    g_state.last_usb = -1;
    g_state.cancel_requested = false;
    g_state.guide_calls.clear();
    g_state.sensor_width = 0;
    g_state.sensor_height = 0;
    g_state.sensor_bit_depth = 8;
    g_state.sensor_pattern = 0;
}

}  // namespace fake_driver
