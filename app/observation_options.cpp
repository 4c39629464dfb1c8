#include "app/observation_options.h"

#include "app/headless_capture.h"

void AddObservationOptions(QCommandLineParser &parser) {
    parser.addOptions({
        {"observer", "Observer's name, for the files' headers and the log.", "NAME"},
        {"telescope", "Telescope, for the files' headers and the log.", "TEXT"},
        {"object", "Object observed (Jupiter, Mars, ...).", "TEXT"},
        {"filter", "Filter in use (R, IR685, ...).", "TEXT"},
        {"name-by-time",
         "Name each recording by its mid-time, as WinJUPOS reads it:"
         " YYYY-MM-DD-HHMM_T-Observer-Filter-Object."},
        {"no-log", "Write no log beside the recording."},
    });
}

void ReadObservationOptions(const QCommandLineParser &parser, RecordingDescription &description) {
    // Each given field wins over the one a profile filled in.
    for (auto [option, field] :
         {std::pair{"observer", &description.observer},
          std::pair{"telescope", &description.telescope}, std::pair{"object", &description.object},
          std::pair{"filter", &description.filter}}) {
        if (parser.isSet(QLatin1String(option))) {
            *field = parser.value(QLatin1String(option)).trimmed();
        }
    }
    description.name_by_time = parser.isSet("name-by-time");
    description.write_log = !parser.isSet("no-log");
}

RecordingDescription DescribeCapture(const CaptureOptions &options, const SubFrame &frame) {
    RecordingDescription description = options.description;
    description.camera = CameraNameOf(options.camera);
    description.gain = options.gain;
    description.binning = options.binning;
    description.window_x = frame.sx;
    description.window_y = frame.sy;
    description.window_width = frame.sw;
    description.window_height = frame.sheight;
    description.dark_count = options.darks;
    description.solar_limit = options.solar ? options.solar_limit : -1;
    return description;
}
