#include "driver/simulator/sim_settings.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace simcam {
namespace {

struct SettingsCase {
    std::map<std::string, std::string> environment;
    SimSettings expected;
};

TEST(ReadSimSettings, ReadsEveryVariableAndKeepsDefaultsForUnknownValues) {
    const SimSettings defaults;
    auto with = [&](auto change) {
        SimSettings settings = defaults;
        change(settings);
        return settings;
    };
    const SettingsCase cases[] = {
        {{}, defaults},
        {{{"OMTRIX_SIM_SENSOR", "colour"}}, with([](auto &s) { s.sensor = SensorKind::Colour; })},
        {{{"OMTRIX_SIM_SENSOR", "color"}}, with([](auto &s) { s.sensor = SensorKind::Colour; })},
        {{{"OMTRIX_SIM_SENSOR", "infrared"}}, defaults},
        {{{"OMTRIX_SIM_FAULT", "no-camera"}}, with([](auto &s) { s.camera_present = false; })},
        {{{"OMTRIX_SIM_FAULT", "hang"}}, with([](auto &s) { s.frames_before_hang = 0; })},
        {{{"OMTRIX_SIM_FAULT", "hang:25"}}, with([](auto &s) { s.frames_before_hang = 25; })},
        {{{"OMTRIX_SIM_FAULT", "hang:"}}, defaults},
        {{{"OMTRIX_SIM_FAULT", "hang:2x"}}, defaults},
        {{{"OMTRIX_SIM_FAULT", "hang:99999999999"}}, defaults},
        {{{"OMTRIX_SIM_SEEING", "off"}, {"OMTRIX_SIM_NOISE", "off"}}, with([](auto &s) {
             s.seeing = SeeingKind::Off;
             s.noise = false;
         })},
        {{{"OMTRIX_SIM_SEEING", "poor"}}, with([](auto &s) { s.seeing = SeeingKind::Poor; })},
        {{{"OMTRIX_SIM_CAP", "/tmp/cap"}}, with([](auto &s) { s.cap_file = "/tmp/cap"; })},
        {{{"OMTRIX_SIM_TIMING", "instant"}}, with([](auto &s) { s.instant = true; })},
        {{{"OMTRIX_SIM_TIMING", "fast"}}, defaults},
    };
    for (const SettingsCase &c : cases) {
        const SimSettings read = ReadSimSettings([&](const char *name) -> const char * {
            const auto found = c.environment.find(name);
            return found == c.environment.end() ? nullptr : found->second.c_str();
        });
        const std::string context = c.environment.empty() ? "nothing set"
                                                          : c.environment.begin()->first + "=" +
                                                                c.environment.begin()->second;
        EXPECT_EQ(read.sensor, c.expected.sensor) << context;
        EXPECT_EQ(read.camera_present, c.expected.camera_present) << context;
        EXPECT_EQ(read.frames_before_hang, c.expected.frames_before_hang) << context;
        EXPECT_EQ(read.seeing, c.expected.seeing) << context;
        EXPECT_EQ(read.noise, c.expected.noise) << context;
        EXPECT_EQ(read.cap_file, c.expected.cap_file) << context;
        EXPECT_EQ(read.instant, c.expected.instant) << context;
    }
}

}  // namespace
}  // namespace simcam
