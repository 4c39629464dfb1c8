// The entries of MELKOTAR.DLL. Plain C, looked up by name; each forwards to
// the camera source the library serves. Nothing thrown leaves the library.

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <mutex>
#include <optional>
#include <string>

#include "driver/camera_choice.h"
#include "driver/camera_source.h"
#include "driver/indi/indi_session.h"
#include "driver/simulator/sim_session.h"

#if defined(_WIN32)
#define DRIVER_ENTRY extern "C" __declspec(dllexport)
#define DRIVER_CALL __stdcall
#else
#define DRIVER_ENTRY extern "C" __attribute__((visibility("default")))
#define DRIVER_CALL
#endif

namespace {

simcam::SimSession &Simulator() {
    static simcam::SimSession simulator;
    return simulator;
}

indicam::IndiSession &IndiCamera() {
    static indicam::IndiSession camera;
    return camera;
}

// Chosen when the program connects; the simulator until then.
std::atomic<CameraSource *> current_source{nullptr};

CameraSource &CurrentSource() {
    CameraSource *source = current_source.load(std::memory_order_acquire);
    return source != nullptr ? *source : Simulator();
}

// Reads OMTRIX_CAMERA and makes its camera the current source. False when
// the setting names no camera; the reason goes to stderr.
bool ChooseSource() {
    const char *text = std::getenv("OMTRIX_CAMERA");
    std::string error;
    const std::optional<CameraChoice> choice =
        ParseCameraChoice(text != nullptr ? text : "", error);
    if (!choice) {
        std::fprintf(stderr, "MELKOTAR.DLL: OMTRIX_CAMERA: %s\n", error.c_str());
        return false;
    }
    CameraSource *chosen = &Simulator();
    if (choice->kind == CameraChoice::Kind::Indi) {
        IndiCamera().Choose(*choice);
        chosen = &IndiCamera();
    }
    CameraSource *previous = current_source.exchange(chosen, std::memory_order_acq_rel);
    if (previous != nullptr && previous != chosen) {
        previous->Disconnect();
    }
    return true;
}

template <typename Call>
void Forward(const char *entry, Call call) noexcept {
    try {
        call(CurrentSource());
    } catch (const std::exception &error) {
        std::fprintf(stderr, "MELKOTAR.DLL: %s failed: %s\n", entry, error.what());
    } catch (...) {
        std::fprintf(stderr, "MELKOTAR.DLL: %s failed\n", entry);
    }
}

}  // namespace

// Prepares the camera source (the simulator builds its sky here).
DRIVER_ENTRY void DRIVER_CALL _staticCall(void) {
    Forward("_staticCall", [](CameraSource &) {});
}

// The program never closes the camera; it ends, or unloads this library.
// The INDI library's reading thread must not outlive the statics that the
// INDI library made while it connected, and those are destroyed at the end
// in the reverse order of their making: a handler registered after the
// first connection runs before them and closes the connection first. (A
// client still reading when they went crashed the program at its end.)
// Reconnections come only after a first connection.
namespace {
void CloseIndiCameraFirstAtTheEnd() {
    static std::once_flag registered;
    std::call_once(registered, [] { std::atexit([] { IndiCamera().Close(); }); });
}
}  // namespace

// Connects the camera that OMTRIX_CAMERA names (the simulator by default).
DRIVER_ENTRY int32_t DRIVER_CALL openUSB(int32_t) {
    int32_t answer = 0;
    Forward("openUSB", [&](CameraSource &) {
        if (ChooseSource()) {
            answer = CurrentSource().Connect();
            if (answer == 1 && &CurrentSource() == &IndiCamera()) {
                CloseIndiCameraFirstAtTheEnd();
            }
        }
    });
    return answer;
}

DRIVER_ENTRY void DRIVER_CALL SetNoiseReduction(int32_t on) {
    Forward("SetNoiseReduction", [=](CameraSource &source) { source.SetNoiseReduction(on != 0); });
}

DRIVER_ENTRY void DRIVER_CALL ExposureSemaphore(void *semaphore) {
    Forward("ExposureSemaphore",
            [=](CameraSource &source) { source.SetExposureSemaphore(semaphore); });
}

DRIVER_ENTRY void DRIVER_CALL SetFrame(int32_t x, int32_t y, int32_t width, int32_t height) {
    Forward("SetFrame", [=](CameraSource &source) { source.SetFrame(x, y, width, height); });
}

DRIVER_ENTRY void DRIVER_CALL SetBinning(int32_t code) {
    Forward("SetBinning", [=](CameraSource &source) { source.SetBinning(code); });
}

DRIVER_ENTRY void DRIVER_CALL SetExpoTime(int32_t ms) {
    Forward("SetExpoTime", [=](CameraSource &source) { source.SetExposureTime(ms); });
}

DRIVER_ENTRY void DRIVER_CALL SetGain(int32_t red, int32_t green, int32_t blue, int32_t green2) {
    Forward("SetGain", [=](CameraSource &source) { source.SetGain(red, green, blue, green2); });
}

DRIVER_ENTRY void DRIVER_CALL HighVolumeUSB(int32_t on) {
    Forward("HighVolumeUSB", [=](CameraSource &source) { source.SetFastTransfer(on != 0); });
}

DRIVER_ENTRY void DRIVER_CALL ThreadedExposure(uint8_t *buffer) {
    Forward("ThreadedExposure", [=](CameraSource &source) { source.StartExposure(buffer); });
}

DRIVER_ENTRY void DRIVER_CALL CancelExposure(void) {
    Forward("CancelExposure", [](CameraSource &source) { source.CancelExposure(); });
}

DRIVER_ENTRY void DRIVER_CALL debayerImage(const uint8_t *mosaic, uint8_t *bgr, int32_t width,
                                           int32_t height) {
    Forward("debayerImage",
            [=](CameraSource &source) { source.Demosaic(mosaic, bgr, width, height); });
}

DRIVER_ENTRY void DRIVER_CALL SetVBLANK(int32_t lines) {
    Forward("SetVBLANK", [=](CameraSource &source) { source.SetVerticalBlanking(lines); });
}

DRIVER_ENTRY int32_t DRIVER_CALL CopyRight(void) {
    return 0;
}

DRIVER_ENTRY void DRIVER_CALL GuideCommand(int32_t direction_bits, int32_t duration_ms) {
    Forward("GuideCommand",
            [=](CameraSource &source) { source.Guide(direction_bits, duration_ms); });
}

// The optional entries: the camera describes itself, and takes exposures in
// microseconds and deep samples. A library without them is the 2048 x 1536
// 8-bit camera. Each answers for the camera openUSB connected.
namespace {
SensorDescription CurrentDescription() {
    SensorDescription description;
    Forward("describe", [&](CameraSource &source) { description = source.Describe(); });
    return description;
}
}  // namespace

DRIVER_ENTRY int32_t DRIVER_CALL SensorWidth(void) {
    return CurrentDescription().width;
}

DRIVER_ENTRY int32_t DRIVER_CALL SensorHeight(void) {
    return CurrentDescription().height;
}

DRIVER_ENTRY int32_t DRIVER_CALL SensorBitDepth(void) {
    return CurrentDescription().bit_depth;
}

DRIVER_ENTRY int32_t DRIVER_CALL SensorBayerPattern(void) {
    return CurrentDescription().bayer_pattern;
}

DRIVER_ENTRY int32_t DRIVER_CALL SensorPixelSize(void) {
    return CurrentDescription().pixel_size_nm;
}

DRIVER_ENTRY int32_t DRIVER_CALL SensorName(char *text, int32_t size) {
    const std::string name = CurrentDescription().name;
    if (text != nullptr && size > 0) {
        const size_t copied = std::min(name.size(), static_cast<size_t>(size - 1));
        std::memcpy(text, name.data(), copied);
        text[copied] = '\0';
    }
    return static_cast<int32_t>(name.size());
}

DRIVER_ENTRY void DRIVER_CALL ExposureRange(int32_t *shortest_us, int32_t *longest_us,
                                            int32_t *step_us) {
    const SensorDescription description = CurrentDescription();
    if (shortest_us != nullptr)
        *shortest_us = description.shortest_exposure_us;
    if (longest_us != nullptr)
        *longest_us = description.longest_exposure_us;
    if (step_us != nullptr)
        *step_us = description.exposure_step_us;
}

DRIVER_ENTRY void DRIVER_CALL GainRange(int32_t *lowest, int32_t *highest) {
    const SensorDescription description = CurrentDescription();
    if (lowest != nullptr)
        *lowest = description.lowest_gain;
    if (highest != nullptr)
        *highest = description.highest_gain;
}

DRIVER_ENTRY void DRIVER_CALL SetSampleDepth(int32_t bits) {
    Forward("SetSampleDepth", [=](CameraSource &source) { source.SetSampleDepth(bits); });
}

DRIVER_ENTRY void DRIVER_CALL SetExpoTimeUs(int32_t us) {
    Forward("SetExpoTimeUs", [=](CameraSource &source) { source.SetExposureTimeUs(us); });
}

DRIVER_ENTRY void DRIVER_CALL closeUSB(void) {
    Forward("closeUSB", [](CameraSource &source) { source.Disconnect(); });
}

// Entries a complete driver has; this camera has nothing behind them.
DRIVER_ENTRY int32_t DRIVER_CALL DEBUG(void) {
    return 0;
}
DRIVER_ENTRY int32_t DRIVER_CALL Exposure(void) {
    return 0;
}
DRIVER_ENTRY int32_t DRIVER_CALL SETBUFFERMODE(void) {
    return 0;
}
DRIVER_ENTRY int32_t DRIVER_CALL GETBUFFER(void) {
    return 0;
}
DRIVER_ENTRY int32_t DRIVER_CALL debayerBuffer(void) {
    return 0;
}
DRIVER_ENTRY int32_t DRIVER_CALL getVIDPID(void) {
    return 0;
}
DRIVER_ENTRY void *DRIVER_CALL getbufptr(void) {
    return nullptr;
}
DRIVER_ENTRY int32_t DRIVER_CALL bufferCopy(void) {
    return 0;
}
