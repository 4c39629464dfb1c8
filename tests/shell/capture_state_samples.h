// A capture state with every value away from its default, texts included,
// for the tests that store and read one back.
#pragma once

#include "shell/capture_state.h"

inline CaptureState UnusualCaptureState() {
    CaptureState s;
    s.exposure_ms = 1;  // 750 us in the fine range
    s.exposure_us = 750;
    s.exposure_range_ms = 1;
    s.gain = 73;
    s.colour = true;
    s.red = 91;
    s.green = 64;
    s.blue = 12;
    s.black_point = 17;
    s.white_point = 230;
    s.sub_x = 702;
    s.sub_y = 528;
    s.sub_width = 640;
    s.sub_height = 480;
    s.binning_code = 2;
    s.fast_transfer = true;
    s.vblank = 140;
    s.output_kind = 3;
    s.sixteen_bit = true;
    s.seconds_mode = true;
    s.count = 90;
    s.delay_ms = 250;
    s.dark_frames = 12;
    s.solar_limit = 200;
    s.solar_shade = 40;
    s.stamp_visible = true;
    s.stamp_choice = 4;
    s.stamp_prefix = QStringLiteral("Jupiter; \"C14\" = f/20");
    s.stamp_hour_offset = -5;
    s.observer = QStringLiteral("Åsa Nilsson");
    s.telescope = QStringLiteral("C14 2.5x");
    s.object = QStringLiteral("Jupiter");
    s.filter = QStringLiteral("IR685");
    return s;
}
