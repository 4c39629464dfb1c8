#pragma once

#include <QString>
#include <cstdint>
#include <string>

#include "platform/dynamic_library.h"
#include "platform/semaphore.h"

// File name of the camera driver library.
inline constexpr const char *DRIVER_FILE_NAME = "MELKOTAR.DLL";

// The camera driver's entries. The driver is plain C, so any camera library
// can stand behind these prototypes; we never include its headers.
struct CameraDriver {
    void (*_staticCall)() = nullptr;
    int32_t (*openUSB)(int32_t) = nullptr;
    void (*SetNoiseReduction)(int32_t on) = nullptr;
    void (*ExposureSemaphore)(DriverSemaphoreHandle sem) = nullptr;
    void (*SetFrame)(int32_t x, int32_t y, int32_t width, int32_t height) = nullptr;
    void (*SetBinning)(int32_t code) = nullptr;
    void (*SetExpoTime)(int32_t ms) = nullptr;
    void (*SetGain)(int32_t red, int32_t green, int32_t blue, int32_t green2) = nullptr;
    void (*HighVolumeUSB)(int32_t on) = nullptr;
    void (*ThreadedExposure)(uint8_t *buffer) = nullptr;
    void (*CancelExposure)() = nullptr;
    void (*debayerImage)(const uint8_t *mosaic, uint8_t *bgr, int32_t width,
                         int32_t height) = nullptr;
    void (*SetVBLANK)(int32_t lines) = nullptr;
    int32_t (*CopyRight)() = nullptr;
    void (*GuideCommand)(int32_t direction_bits, int32_t duration_ms) = nullptr;

    // Optional: a camera that describes itself (camera/camera_sensor.h reads
    // them), takes exposures in microseconds and delivers deep samples.
    // Null when the library lacks them.
    int32_t (*SensorWidth)() = nullptr;
    int32_t (*SensorHeight)() = nullptr;
    int32_t (*SensorBitDepth)() = nullptr;
    int32_t (*SensorBayerPattern)() = nullptr;
    int32_t (*SensorPixelSize)() = nullptr;
    int32_t (*SensorName)(char *text, int32_t size) = nullptr;
    void (*ExposureRange)(int32_t *shortest_us, int32_t *longest_us, int32_t *step_us) = nullptr;
    void (*GainRange)(int32_t *lowest, int32_t *highest) = nullptr;
    void (*SetSampleDepth)(int32_t bits) = nullptr;
    void (*SetExpoTimeUs)(int32_t us) = nullptr;
};

// Memory handed to the driver for an exposure it never finished: the driver
// may still write into it, so it is never freed. Kept reachable until the
// process ends, which tells leak checkers that this is on purpose.
void AbandonToDriver(const void *memory);

// The driver library's place: beside the program, else in its installed
// library folder.
QString CameraDriverPath();

// Loads the driver library and looks up every entry by name, the called ones
// and those that must merely exist, and the optional ones where it has them. On any failure the library is released,
// `missing` names what was not found, and the result is false. A library
// loaded in full stays loaded until the process ends.
bool LoadCameraDriver(DynamicLibrary &library, const std::string &path, CameraDriver &driver,
                      std::string &missing);
