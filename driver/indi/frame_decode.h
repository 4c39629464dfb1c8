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
    // 1: unsigned 8-bit; 2: signed 16-bit big-endian with `zero` added
    // (FITS), or with `little_endian` unsigned 16-bit (a full-depth stream).
    int32_t sample_bytes = 1;
    int32_t zero = 0;
    bool little_endian = false;
    // 8-bit samples a deeper camera's stream made on its curve (StreamLevel).
    bool on_stream_curve = false;
    // Byte distances: from one pixel to the next, one row to the next, one
    // colour channel to the next (planes in FITS, neighbours in a stream).
    int64_t pixel_stride = 1;
    int64_t row_stride = 0;
    int64_t channel_stride = 0;
    // What a FITS header says of the exposure (seconds; negative: nothing)
    // and the binning (0: nothing).
    double exposure_s = -1;
    int32_t binning_x = 0;
    int32_t binning_y = 0;
};

// The image of a FITS file as INDI sends it (8- or 16-bit integers, one
// plane or three). False with `error` set when the header is damaged, the
// sample type is not one of those, or the data are shorter than the header says.
bool ParseFits(const uint8_t *blob, size_t blob_bytes, SourceImage &image, std::string &error);

// A raw stream frame of `width` x `height` pixels: grey or red-green-blue, of
// 8-bit samples, or of 16-bit ones in the camera's (little-endian) order as a
// full-depth stream sends them. False with `error` set for any other size.
bool ParseStreamFrame(const uint8_t *blob, size_t blob_bytes, int32_t width, int32_t height,
                      SourceImage &image, std::string &error);

// Where the picture lands in the program's frame.
struct Placement {
    // Frame column and row (row 0 at the bottom) of the picture's bottom-left pixel.
    int32_t x = 0;
    int32_t y = 0;
    bool operator==(const Placement &) const = default;
};

// 16-bit samples to 8 bits as INDI's video stream makes them: the sRGB
// curve over the whole 16-bit range (libindi's GammaLut16). Single
// exposures go through the same curve, so that a picture is as bright
// whether it came from the stream or not.
uint8_t StreamLevel(uint16_t sample);

// The way back: the middle of the 16-bit samples the curve makes `level`
// of (0 for 0, the maximum for 255), scaled to `bit_depth` bits. A deep frame from an 8-bit stream
// is then as bright as a single exposure's, though in coarser steps.
uint16_t LinearLevel(uint8_t level, int32_t bit_depth);

// Writes the program's frame of frame_width x frame_height samples, row 0 at
// the bottom: the picture turned the right way up at the placement, black
// wherever it does not reach. With `deep_bits` 0 the samples are 8-bit and
// 16-bit ones become 8 bits through StreamLevel. With `deep_bits` 8 ... 16
// they are two bytes each in the machine's order, as the camera made them
// (8-bit stream samples on the curve through LinearLevel), up to
// 2^deep_bits - 1. Colour pictures become the mosaic of the program's colour
// sensor (even rows G R, odd rows B G). Never writes outside the frame, never
// reads outside the picture as described.
void PlaceImage(const SourceImage &image, const Placement &placement, uint8_t *frame,
                int32_t frame_width, int32_t frame_height, int32_t deep_bits = 0);

// The frame the program waits for, as it was asked of the camera.
struct AskedFrame {
    bool stream = false;  // from the video stream; else a single exposure, as FITS
    int32_t width = 0;    // the picture, in binned pixels
    int32_t height = 0;
    int32_t binning = 1;
    double exposure_s = 0;
};

enum class Decoded {
    Placed,    // the asked frame, now in the program's frame
    NotAsked,  // a whole picture, but of another kind, size, exposure or binning
    Damaged,   // not a picture that can be read
};

// The whole way from a received BLOB to the program's frame: a ".fits" file,
// or a ".stream" frame. Only the asked frame is placed: a stream frame of the
// asked size, a FITS file of the asked size and, where its header says them,
// of the asked exposure (within 1 ms or 1 %) and binning. Anything else
// leaves the frame as it was, with the reason in `error`. `deep_bits` as for
// PlaceImage; 8-bit stream frames of a camera deeper than 8 bits are taken
// to be on the stream's curve.
Decoded DecodeFrame(const uint8_t *blob, size_t blob_bytes, std::string_view format,
                    const AskedFrame &asked, const Placement &placement, uint8_t *frame,
                    int32_t frame_width, int32_t frame_height, std::string &error,
                    int32_t deep_bits = 0);

}  // namespace indicam
