#pragma once

#include <cstdint>

namespace simcam {

// The colour of the program's mosaic at a frame column and row (row 0 at the
// bottom; even rows G R, odd rows B G): 0 red, 1 green, 2 blue.
inline int MosaicChannel(int64_t column, int64_t row) {
    return row % 2 == 0 ? (column % 2 == 0 ? 1 : 0) : (column % 2 == 0 ? 2 : 1);
}

// Bilinear demosaic of a colour sensor's mosaic, whose even rows run
// G R G R ... and odd rows B G B G .... Writes exactly width x height pixels of
// blue, green and red bytes, rows packed one after the other from `bgr`
// upward, row r from mosaic row r. Reads only the width x height samples at
// `mosaic`: at the edges the missing neighbours are mirrored, which keeps the
// colour pattern. Does nothing for a size below 1 x 1 or a null pointer.
void DemosaicBilinear(const uint8_t *mosaic, uint8_t *bgr, int32_t width, int32_t height);

}  // namespace simcam
