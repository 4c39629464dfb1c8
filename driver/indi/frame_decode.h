#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace indicam {

// How a received picture's samples lie in memory. Rows run from the top of
// the picture down, as cameras read them out.
struct SourceImage {
    const uint8_t *samples = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    // 1: one sample per pixel (mono or a colour mosaic); 3: red, green, blue.
    int32_t channels = 1;
    // 1: unsigned 8-bit; 2: signed 16-bit big-endian with `zero` added (FITS).
    int32_t sample_bytes = 1;
    int32_t zero = 0;
    // Byte distances: from one pixel to the next, one row to the next, one
    // colour channel to the next (planes in FITS, neighbours in a stream).
    int64_t pixel_stride = 1;
    int64_t row_stride = 0;
    int64_t channel_stride = 0;
};

// The image of a FITS file as INDI sends it (8- or 16-bit integers, one
// plane or three). False with `error` set when the header is damaged, the
// sample type is not one of those, or the data are shorter than the header says.
bool ParseFits(const uint8_t *blob, size_t blob_bytes, SourceImage &image, std::string &error);

// A raw stream frame of `width` x `height` 8-bit pixels: grey (one byte per
// pixel) or red-green-blue (three). False with `error` set for any other size.
bool ParseStreamFrame(const uint8_t *blob, size_t blob_bytes, int32_t width, int32_t height,
                      SourceImage &image, std::string &error);

// Where the picture lands in the program's frame and how its samples become
// 8 bits.
struct Placement {
    // Frame column and row (row 0 at the bottom) of the picture's bottom-left pixel.
    int32_t x = 0;
    int32_t y = 0;
    // Significant bits of 16-bit samples (8 … 16): the top 8 of them are kept.
    int32_t bit_depth = 16;
    bool operator==(const Placement &) const = default;
};

// Writes the program's frame of frame_width x frame_height 8-bit samples, row
// 0 at the bottom: the picture turned the right way up at the placement,
// black wherever it does not reach. Colour pictures become the mosaic of the
// program's colour sensor (even rows G R, odd rows B G). Never writes outside
// the frame, never reads outside the picture as described.
void PlaceImage(const SourceImage &image, const Placement &placement, uint8_t *frame,
                int32_t frame_width, int32_t frame_height);

// The whole way from a received BLOB to the program's frame: a ".fits" file,
// or a ".stream" frame of the stream's size. False with `error` set when the
// BLOB is not such a picture; the frame is then left as it was.
bool DecodeFrame(const uint8_t *blob, size_t blob_bytes, std::string_view format,
                 int32_t stream_width, int32_t stream_height, const Placement &placement,
                 uint8_t *frame, int32_t frame_width, int32_t frame_height, std::string &error);

}  // namespace indicam
