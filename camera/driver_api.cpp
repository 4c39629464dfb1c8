#include "camera/driver_api.h"

#include <mutex>
#include <vector>

#include "platform/program_files.h"

namespace {

// Entries a complete driver has although the program never calls them.
constexpr const char *REQUIRED_UNCALLED_ENTRIES[] = {
    "DEBUG",         "closeUSB",  "Exposure",  "SETBUFFERMODE", "GETBUFFER",
    "debayerBuffer", "getVIDPID", "getbufptr", "bufferCopy",
};

template <typename Function>
bool Resolve(const DynamicLibrary &library, const char *name, Function &entry,
             std::string &missing) {
    entry = reinterpret_cast<Function>(library.Symbol(name));
    if (!entry && missing.empty()) {
        missing = name;
    }
    return entry != nullptr;
}

template <typename Function>
void ResolveOptional(const DynamicLibrary &library, const char *name, Function &entry) {
    entry = reinterpret_cast<Function>(library.Symbol(name));
}

}  // namespace

void AbandonToDriver(const void *memory) {
    static std::mutex mutex;
    // Never destroyed, so the list still holds the memory when the process ends.
    static auto *abandoned = new std::vector<const void *>;
    std::lock_guard lock(mutex);
    abandoned->push_back(memory);
}

bool LoadCameraDriver(DynamicLibrary &library, const std::string &path, CameraDriver &driver,
                      std::string &missing) {
    missing.clear();
    if (!library.Open(path)) {
        missing = library.LastError();
        return false;
    }
    bool ok = true;
    ok &= Resolve(library, "_staticCall", driver._staticCall, missing);
    ok &= Resolve(library, "openUSB", driver.openUSB, missing);
    ok &= Resolve(library, "SetNoiseReduction", driver.SetNoiseReduction, missing);
    ok &= Resolve(library, "ExposureSemaphore", driver.ExposureSemaphore, missing);
    ok &= Resolve(library, "SetFrame", driver.SetFrame, missing);
    ok &= Resolve(library, "SetBinning", driver.SetBinning, missing);
    ok &= Resolve(library, "SetExpoTime", driver.SetExpoTime, missing);
    ok &= Resolve(library, "SetGain", driver.SetGain, missing);
    ok &= Resolve(library, "HighVolumeUSB", driver.HighVolumeUSB, missing);
    ok &= Resolve(library, "ThreadedExposure", driver.ThreadedExposure, missing);
    ok &= Resolve(library, "CancelExposure", driver.CancelExposure, missing);
    ok &= Resolve(library, "debayerImage", driver.debayerImage, missing);
    ok &= Resolve(library, "SetVBLANK", driver.SetVBLANK, missing);
    ok &= Resolve(library, "CopyRight", driver.CopyRight, missing);
    ok &= Resolve(library, "GuideCommand", driver.GuideCommand, missing);
    ResolveOptional(library, "SensorWidth", driver.SensorWidth);
    ResolveOptional(library, "SensorHeight", driver.SensorHeight);
    ResolveOptional(library, "SensorBitDepth", driver.SensorBitDepth);
    ResolveOptional(library, "SensorBayerPattern", driver.SensorBayerPattern);
    ResolveOptional(library, "SensorPixelSize", driver.SensorPixelSize);
    ResolveOptional(library, "SensorName", driver.SensorName);
    ResolveOptional(library, "ExposureRange", driver.ExposureRange);
    ResolveOptional(library, "GainRange", driver.GainRange);
    ResolveOptional(library, "SetSampleDepth", driver.SetSampleDepth);
    ResolveOptional(library, "SetExpoTimeUs", driver.SetExpoTimeUs);
    for (const char *name : REQUIRED_UNCALLED_ENTRIES) {
        void *entry = nullptr;
        ok &= Resolve(library, name, entry, missing);
    }
    if (!ok) {
        library.Close();
        driver = CameraDriver{};
        return false;
    }
    // The camera is never closed: a camera thread that did not stop in time
    // at the end may still be inside the library.
    library.KeepLoadedUntilExit();
    return true;
}

QString CameraDriverPath() {
    return ProgramFilePath(QLatin1String(DRIVER_FILE_NAME));
}
