#pragma once

#include <QCommandLineParser>

#include "camera/sensor_window.h"
#include "recording/recording_description.h"

struct CaptureOptions;

// The options of omtrix-capture that describe the observation and choose the
// files about it: --observer, --telescope, --object, --filter, --name-by-time
// and --no-log.
void AddObservationOptions(QCommandLineParser &parser);
void ReadObservationOptions(const QCommandLineParser &parser, RecordingDescription &description);

// The options' description completed with the camera and the settings the
// run programs it with.
RecordingDescription DescribeCapture(const CaptureOptions &options, const SubFrame &frame);
