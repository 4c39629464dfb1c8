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
