#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "camera/acquisition.h"
#include "camera/camera_sensor.h"
#include "camera/frame_list.h"

// The sensor miniature's box on the main window, in screen pixels. Every
// sensor is scaled into it.
inline constexpr int32_t MINIATURE_WIDTH = 113;
inline constexpr int32_t MINIATURE_HEIGHT = 85;

// The connected camera's sensor, in sensor pixels.
struct SensorSize {
    int32_t width = FULL_WIDTH;
    int32_t height = FULL_HEIGHT;
};

// The part of the sensor that is read, in full-sensor pixels, with the origin
// at the top-left of the picture as shown. Kept inside its sensor:
// 0 <= sx, 0 <= sy, sx + sw <= sensor.width, sy + sheight <= sensor.height.
struct SubFrame {
    int32_t sx = 0;
    int32_t sy = 0;
    int32_t sw = FULL_WIDTH;
    int32_t sheight = FULL_HEIGHT;
    SensorSize sensor;  // the sensor it lies on
};

// The whole of the camera's sensor.
SubFrame WholeSensor(const CameraSensor &camera);

// Sensor pixels per pixel of the miniature: the smallest whole number that
// fits the sensor into the miniature's box (18 for 2048 x 1536).
int32_t MiniatureScale(const SensorSize &sensor);

// Frame size after binning, as the two counters show it.
struct FrameSize {
    int32_t width = FULL_WIDTH;
    int32_t height = FULL_HEIGHT;
};

// The binning shift of a binning code (1 = 1x1, 2 = 2x2, 3 = 4x4); codes
// outside that range count as the nearest one, as the camera takes them.
int32_t BinningShift(int32_t binning_code);

// The frame the camera delivers for a sub-frame of width x height sensor
// pixels at a binning code. Every place that needs the frame size asks here.
FrameSize BinnedFrameSize(int32_t width, int32_t height, int32_t binning_code);

// Centres the sub-frame on the miniature point (x, y), keeps it on the
// sensor and puts its corner on even coordinates (the colour mosaic's phase).
void DrawMini(SubFrame &frame, int32_t x, int32_t y);

// Applies new size sliders (units of 4 sensor pixels) and binning, keeping
// the sub-frame's centre where it was on the sensor, whatever the binning, so
// a full-sensor start gives a window centred on the sensor. Returns the frame
// size after binning, as the counters show it.
FrameSize SetResolution(SubFrame &frame, int32_t width_position, int32_t height_position,
                        int32_t binning_code);

// The sizes offered besides the full sensor, in sensor pixels.
inline constexpr std::array<FrameSize, 4> SUBFRAME_PRESETS = {
    {{320, 240}, {640, 480}, {800, 600}, {1024, 768}}};
// Whether a preset fits on the sensor; a larger one is not offered.
inline bool PresetFits(const FrameSize &preset, const SensorSize &sensor) {
    return preset.width <= sensor.width && preset.height <= sensor.height;
}
// The size slider's most positions (units of 4 sensor pixels) on `sensor`.
inline FrameSize SliderMaxima(const SensorSize &sensor) {
    return {sensor.width / 4, sensor.height / 4};
}

// The size slider's position (units of 4 sensor pixels) nearest to `pixels`,
// within 1..`most_positions`.
int32_t SizeSliderPosition(int32_t pixels, int32_t most_positions);

// A typed sub-frame size: two decimal numbers with "x", "X", "*", "\u00d7" or
// blanks between them ("640x480", "640 \u00d7 480"), each 1..99999. False for
// anything else.
bool ParseFrameSize(std::string_view text, FrameSize &size);

// Pushes the sub-frame back onto its sensor, shrinking it where it is larger
// than the sensor (a window stored with a larger camera).
void KeepOnSensor(SubFrame &frame);

// The sensor counts its y offset from its bottom edge, the edge opposite the
// picture's top, because the frame's first row is the picture's bottom row.
inline int32_t SensorYOffset(const SubFrame &frame) {
    return frame.sensor.height - frame.sheight - frame.sy;
}

// Asks the camera thread for the sub-frame at its next pass.
void RequestSubFrame(TVideoCapture &capture, const SubFrame &frame);

// "Subframe: (x,y) -> (x2xy2)": the corners in binned pixels.
std::string SubframeText(const SubFrame &frame, int32_t binning_code);
// The same without its first word, for a window that names it in its language.
std::string SubframeCorners(const SubFrame &frame, int32_t binning_code);
