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
        {{{"OMTRIX_SIM_SIZE", "1304x976"}}, with([](auto &s) {
             s.width = 1304;
             s.height = 976;
         })},
        {{{"OMTRIX_SIM_SIZE", "64x64"}}, with([](auto &s) { s.width = s.height = 64; })},
        {{{"OMTRIX_SIM_SIZE", "4096x3072"}}, with([](auto &s) {
             s.width = 4096;
             s.height = 3072;
         })},
        // Odd, too small, too large or not a size at all: the default.
        {{{"OMTRIX_SIM_SIZE", "1305x976"}}, defaults},
        {{{"OMTRIX_SIM_SIZE", "1304x977"}}, defaults},
        {{{"OMTRIX_SIM_SIZE", "62x64"}}, defaults},
        {{{"OMTRIX_SIM_SIZE", "4098x3072"}}, defaults},
        {{{"OMTRIX_SIM_SIZE", "4096x3074"}}, defaults},
        {{{"OMTRIX_SIM_SIZE", "1304x"}}, defaults},
        {{{"OMTRIX_SIM_SIZE", "x976"}}, defaults},
        {{{"OMTRIX_SIM_SIZE", "1304x976x2"}}, defaults},
        {{{"OMTRIX_SIM_SIZE", "-1304x976"}}, defaults},
        {{{"OMTRIX_SIM_SIZE", "99999999999x976"}}, defaults},
        {{{"OMTRIX_SIM_BITS", "10"}}, with([](auto &s) { s.bit_depth = 10; })},
        {{{"OMTRIX_SIM_BITS", "12"}}, with([](auto &s) { s.bit_depth = 12; })},
        {{{"OMTRIX_SIM_BITS", "16"}}, with([](auto &s) { s.bit_depth = 16; })},
        {{{"OMTRIX_SIM_BITS", "14"}}, defaults},
        {{{"OMTRIX_SIM_BITS", "012"}}, defaults},
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
        EXPECT_EQ(read.width, c.expected.width) << context;
        EXPECT_EQ(read.height, c.expected.height) << context;
        EXPECT_EQ(read.bit_depth, c.expected.bit_depth) << context;
    }
}

}  // namespace
}  // namespace simcam
