#pragma once

#include "camera/driver_api.h"
#include "camera/frame_list.h"
#include "pixels/grey_conversion.h"
#include "platform/bitmap24.h"

// Turns a frame into the 24-bit picture the preview and the recorder use:
// grey samples as grey pixels, or a colour camera's mosaic through the
// driver's demosaic. A colour picture is one row shorter than its mosaic (the
// demosaic needs the row above the last one it writes). Either way the
// frame's first row becomes the picture's bottom row.
void FrameToBitmap(const CameraDriver &driver, const ImageLst &frame, bool colour,
                   Bitmap24 &bitmap);
