#pragma once

#include <cstdint>
#include <vector>

#include "camera/driver_api.h"
#include "camera/frame_list.h"
#include "pixels/grey_conversion.h"
#include "platform/bitmap24.h"

// Turns 8-bit samples, `w` x `h`, into the 24-bit picture the preview and the
// recorder use: grey samples as grey pixels, or a colour camera's mosaic
// through the driver's demosaic. A colour picture is one row shorter than its
// mosaic (the demosaic needs the row above the last one it writes). Either
// way the first row becomes the picture's bottom row.
void SamplesToBitmap(const CameraDriver &driver, const uint8_t *samples, int32_t w, int32_t h,
                     bool colour, Bitmap24 &bitmap);

// A frame's samples as an 8-bit file holds them: an 8-bit frame's own, a
// deep frame's narrowed to their top 8 bits in `buffer`, which grows to fit.
const uint8_t *EightBitSamples(const ImageLst &frame, std::vector<uint8_t> &buffer);

// The same for a frame. A deep frame's samples are narrowed to their top 8
// bits first (EightBitSamples), in a buffer of the calling thread's.
void FrameToBitmap(const CameraDriver &driver, const ImageLst &frame, bool colour,
                   Bitmap24 &bitmap);

// The one 8-bit view a deep frame is shown from (DeepView: the black and
// white points, 0 ... 255, applied over the frame's depth, 255 only where it
// saturates), made in `view`, which grows to fit. An 8-bit frame is its own
// view: its samples, untouched, and `view` is left alone.
const uint8_t *FrameView(const ImageLst &frame, std::vector<uint8_t> &view, int32_t black_point,
                         int32_t white_point);

// The picture the preview shows of a frame: SamplesToBitmap of its view
// (FrameView, in `view`), a deep mono frame's made in one pass from its deep
// samples instead. `view_copy`, where not null, receives the view's w x h
// bytes.
void FramePicture(const CameraDriver &driver, const ImageLst &frame, bool colour,
                  int32_t black_point, int32_t white_point, std::vector<uint8_t> &view,
                  Bitmap24 &bitmap, uint8_t *view_copy);
