#pragma once

#include "driver/camera_source.h"
#include "driver/indi/indi_client.h"

namespace indicam {

// What the program is told of an INDI camera: the sensor it sees (see
// ProgramSensorFor), its depth, its Bayer pattern as the camera reports it,
// pixel size, name, exposure and gain ranges. An unknown sensor (no camera)
// answers the default description.
SensorDescription DescribeSensor(const CameraDescription &camera);

}  // namespace indicam
