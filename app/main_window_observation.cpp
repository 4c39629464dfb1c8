// What a recording's files say about the observation and the settings.
#include <QSlider>

#include "app/main_window.h"
#include "app/output_names_window.h"

RecordingDescription TForm1::DescribeRecording() const {
    RecordingDescription description;
    Form5->Observation->Describe(description);
    description.camera = CameraNameOf(qEnvironmentVariable("OMTRIX_CAMERA"));
    description.gain = Gain->value();
    description.binning = 1 << BinningShift(Cap->binning_code);
    description.window_x = sub_frame_.sx;
    description.window_y = sub_frame_.sy;
    description.window_width = sub_frame_.sw;
    description.window_height = sub_frame_.sheight;
    description.dark_count = Cap->DARKCOUNT;
    description.solar_limit = Cap->solar.on ? Cap->solar.limit.load() : -1;
    description.profile = profile_name_;
    return description;
}
