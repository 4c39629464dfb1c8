#include "driver/simulator/sim_settings.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace simcam {

namespace {

void ReportUnknown(const char *name, std::string_view value) {
    std::fprintf(stderr, "MELKOTAR.DLL: %s=%.*s is not a known value; using the default\n", name,
                 static_cast<int>(value.size()), value.data());
}

// "hang" stops at once, "hang:N" after N exposures; -2 for anything else.
int32_t ParseHang(std::string_view value) {
    constexpr std::string_view HANG = "hang";
    if (value.substr(0, HANG.size()) != HANG) {
        return -2;
    }
    value.remove_prefix(HANG.size());
    if (value.empty()) {
        return 0;
    }
    if (value.front() != ':' || value.size() < 2 || value.size() > 10) {
        return -2;
    }
    int64_t frames = 0;
    for (char digit : value.substr(1)) {
        if (digit < '0' || digit > '9') {
            return -2;
        }
        frames = frames * 10 + (digit - '0');
    }
    return frames > INT32_MAX ? -2 : static_cast<int32_t>(frames);
}

// Digits only, at most five of them; -1 for anything else.
int32_t ParseSide(std::string_view digits) {
    if (digits.empty() || digits.size() > 5) {
        return -1;
    }
    int32_t side = 0;
    for (char digit : digits) {
        if (digit < '0' || digit > '9') {
            return -1;
        }
        side = side * 10 + (digit - '0');
    }
    return side;
}

// "WxH" with even sides within the sizes the camera can have; false otherwise.
bool ParseSize(std::string_view value, int32_t &width, int32_t &height) {
    const size_t cross = value.find('x');
    if (cross == std::string_view::npos) {
        return false;
    }
    const int32_t w = ParseSide(value.substr(0, cross));
    const int32_t h = ParseSide(value.substr(cross + 1));
    const auto fits = [](int32_t side, int32_t largest) {
        return side >= SMALLEST_SENSOR_SIDE && side <= largest && side % 2 == 0;
    };
    if (!fits(w, LARGEST_SENSOR_WIDTH) || !fits(h, LARGEST_SENSOR_HEIGHT)) {
        return false;
    }
    width = w;
    height = h;
    return true;
}

}  // namespace

SimSettings ReadSimSettings(const EnvironmentLookup &lookup) {
    SimSettings settings;
    if (const char *text = lookup("OMTRIX_SIM_SENSOR")) {
        const std::string_view value = text;
        if (value == "colour" || value == "color") {
            settings.sensor = SensorKind::Colour;
        } else if (value != "mono") {
            ReportUnknown("OMTRIX_SIM_SENSOR", value);
        }
    }
    if (const char *text = lookup("OMTRIX_SIM_SIZE")) {
        if (!ParseSize(text, settings.width, settings.height)) {
            ReportUnknown("OMTRIX_SIM_SIZE", text);
        }
    }
    if (const char *text = lookup("OMTRIX_SIM_BITS")) {
        const std::string_view value = text;
        if (value == "8" || value == "10" || value == "12" || value == "16") {
            settings.bit_depth = ParseSide(value);
        } else {
            ReportUnknown("OMTRIX_SIM_BITS", value);
        }
    }
    if (const char *text = lookup("OMTRIX_SIM_FAULT")) {
        const std::string_view value = text;
        const int32_t hang_after = ParseHang(value);
        if (value == "no-camera") {
            settings.camera_present = false;
        } else if (hang_after >= 0) {
            settings.frames_before_hang = hang_after;
        } else if (value != "none") {
            ReportUnknown("OMTRIX_SIM_FAULT", value);
        }
    }
    if (const char *text = lookup("OMTRIX_SIM_SEEING")) {
        const std::string_view value = text;
        if (value == "off") {
            settings.seeing = SeeingKind::Off;
        } else if (value == "good") {
            settings.seeing = SeeingKind::Good;
        } else if (value == "poor") {
            settings.seeing = SeeingKind::Poor;
        } else if (value != "average") {
            ReportUnknown("OMTRIX_SIM_SEEING", value);
        }
    }
    if (const char *text = lookup("OMTRIX_SIM_NOISE")) {
        const std::string_view value = text;
        if (value == "off") {
            settings.noise = false;
        } else if (value != "on") {
            ReportUnknown("OMTRIX_SIM_NOISE", value);
        }
    }
    if (const char *text = lookup("OMTRIX_SIM_CAP")) {
        settings.cap_file = text;
    }
    if (const char *text = lookup("OMTRIX_SIM_TIMING")) {
        const std::string_view value = text;
        if (value == "instant") {
            settings.instant = true;
        } else if (value != "real") {
            ReportUnknown("OMTRIX_SIM_TIMING", value);
        }
    }
    return settings;
}

SimSettings ReadSimSettingsFromEnvironment() {
    return ReadSimSettings([](const char *name) { return std::getenv(name); });
}

}  // namespace simcam
