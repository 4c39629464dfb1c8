#include "camera/sensor_window.h"

#include <algorithm>
#include <cstdio>

namespace {

void KeepInsideFarEdges(SubFrame &frame) {
    if (frame.sx + frame.sw > frame.sensor.width) {
        frame.sx = frame.sensor.width - frame.sw;
    }
    if (frame.sy + frame.sheight > frame.sensor.height) {
        frame.sy = frame.sensor.height - frame.sheight;
    }
}

void KeepInsideNearEdges(SubFrame &frame) {
    frame.sx = std::max(frame.sx, 0);
    frame.sy = std::max(frame.sy, 0);
}

}  // namespace

SubFrame WholeSensor(const CameraSensor &camera) {
    SubFrame frame;
    frame.sensor = {camera.width, camera.height};
    frame.sw = camera.width;
    frame.sheight = camera.height;
    return frame;
}

int32_t MiniatureScale(const SensorSize &sensor) {
    // The last miniature pixel may stand for fewer sensor pixels than the
    // others, as 2048 / 18 = 113.8 does.
    return std::max(sensor.width / (MINIATURE_WIDTH + 1), sensor.height / (MINIATURE_HEIGHT + 1)) +
           1;
}

int32_t BinningShift(int32_t binning_code) {
    return std::clamp(binning_code, 1, 3) - 1;
}

FrameSize BinnedFrameSize(int32_t width, int32_t height, int32_t binning_code) {
    const int32_t s = BinningShift(binning_code);
    return {width >> s, height >> s};
}

void DrawMini(SubFrame &frame, int32_t x, int32_t y) {
    const int32_t scale = MiniatureScale(frame.sensor);
    frame.sx = x * scale - frame.sw / 2;
    frame.sy = y * scale - frame.sheight / 2;
    KeepInsideNearEdges(frame);
    KeepInsideFarEdges(frame);
    frame.sx &= ~1;
    frame.sy &= ~1;
}

FrameSize SetResolution(SubFrame &frame, int32_t width_position, int32_t height_position,
                        int32_t binning_code) {
    const SubFrame before = frame;
    frame.sw = width_position * 4;
    if (binning_code == 2) {
        // 2x2 frames must stay a multiple of 8 samples wide; the narrowest
        // slider positions would otherwise leave no width at all.
        frame.sw = std::max(frame.sw & ~15, 16);
    }
    frame.sheight = height_position * 4;
    // The old size in sensor pixels, not the counters read back at the new
    // binning: those would move the window by half its size at every switch.
    frame.sx += (before.sw - frame.sw) / 2;
    frame.sy += (before.sheight - frame.sheight) / 2;
    KeepOnSensor(frame);
    return BinnedFrameSize(frame.sw, frame.sheight, binning_code);
}

int32_t SizeSliderPosition(int32_t pixels, int32_t most_positions) {
    return std::clamp((pixels + 2) / 4, 1, most_positions);
}

bool ParseFrameSize(std::string_view text, FrameSize &size) {
    int32_t numbers[2] = {0, 0};
    int32_t count = 0;
    int32_t digits = 0;
    bool separated = true;  // a number may start here
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            if (digits == 0 && !separated) {
                return false;
            }
            if (digits == 0 && ++count > 2) {
                return false;
            }
            if (++digits > 5) {
                return false;
            }
            numbers[count - 1] = numbers[count - 1] * 10 + (c - '0');
            separated = false;
            continue;
        }
        digits = 0;
        if (c == ' ' || c == '\t') {
            separated = count > 0 || separated;
        } else if ((c == 'x' || c == 'X' || c == '*') && count == 1) {
            separated = true;
        } else if (text.substr(i, 2) == "\xc3\x97" && count == 1) {  // the UTF-8 times sign
            separated = true;
            ++i;
        } else {
            return false;
        }
    }
    if (count != 2 || numbers[0] == 0 || numbers[1] == 0) {
        return false;
    }
    size = {numbers[0], numbers[1]};
    return true;
}

void KeepOnSensor(SubFrame &frame) {
    frame.sw = std::min(frame.sw, frame.sensor.width);
    frame.sheight = std::min(frame.sheight, frame.sensor.height);
    KeepInsideNearEdges(frame);
    KeepInsideFarEdges(frame);
}

void RequestSubFrame(TVideoCapture &capture, const SubFrame &frame) {
    capture.UpdateInfo(static_cast<uint32_t>(frame.sw), static_cast<uint32_t>(frame.sheight),
                       static_cast<uint32_t>(SensorYOffset(frame)),
                       static_cast<uint32_t>(frame.sx));
}

std::string SubframeCorners(const SubFrame &frame, int32_t binning_code) {
    const int32_t s = BinningShift(binning_code);
    char text[80];
    std::snprintf(text, sizeof(text), "(%d,%d) -> (%dx%d)", frame.sx >> s, frame.sy >> s,
                  (frame.sx + frame.sw) >> s, (frame.sy + frame.sheight) >> s);
    return text;
}

std::string SubframeText(const SubFrame &frame, int32_t binning_code) {
    return "Subframe: " + SubframeCorners(frame, binning_code);
}
