#include "driver/indi/frame_decode.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace indicam {

namespace {

constexpr size_t FITS_BLOCK = 2880;
constexpr size_t FITS_CARD = 80;
// Far beyond any camera; keeps every size product inside 64 bits.
constexpr int64_t MAX_SIDE = 1 << 16;

// The integer value of a header card's value field; false when it has none.
bool CardInteger(std::string_view card, int64_t &value) {
    if (card.size() < 10 || card.substr(8, 2) != "= ") {
        return false;
    }
    std::string field(card.substr(10));
    const size_t comment = field.find('/');
    if (comment != std::string::npos) {
        field.resize(comment);
    }
    char *end = nullptr;
    const double number = std::strtod(field.c_str(), &end);
    if (end == field.c_str() || number != static_cast<double>(static_cast<int64_t>(number))) {
        return false;
    }
    for (; *end != '\0'; ++end) {
        if (*end != ' ') {
            return false;
        }
    }
    value = static_cast<int64_t>(number);
    return true;
}

std::string_view Keyword(std::string_view card) {
    std::string_view keyword = card.substr(0, 8);
    while (!keyword.empty() && keyword.back() == ' ') {
        keyword.remove_suffix(1);
    }
    return keyword;
}

// Big-endian 16-bit samples, `zero` added, to 8 bits by dropping `shift`
// low bits, clamped: one pass without calls or branches, which the compiler
// vectorises. Unsigned samples (BZERO 32768, what cameras send) stay in
// 16-bit lanes, twice as many per vector as the general case's 32 bits.
void ScaleSixteenBit(const uint8_t *in, uint8_t *out, int64_t count, int32_t zero, int32_t shift) {
    if (zero == 32768) {
        const auto bits = static_cast<uint16_t>(shift);
        for (int64_t i = 0; i < count; ++i) {
            // Adding 32768 to a 16-bit signed sample flips its top bit.
            const auto sample = static_cast<uint16_t>((in[2 * i] << 8 | in[2 * i + 1]) ^ 0x8000);
            const auto value = static_cast<uint16_t>(sample >> bits);
            out[i] = static_cast<uint8_t>(value < 255 ? value : 255);
        }
        return;
    }
    for (int64_t i = 0; i < count; ++i) {
        const auto raw = static_cast<uint16_t>((in[2 * i] << 8) | in[2 * i + 1]);
        const int32_t value = (static_cast<int16_t>(raw) + zero) >> shift;
        out[i] = static_cast<uint8_t>(std::min(std::max(value, 0), 255));
    }
}

}  // namespace

bool ParseFits(const uint8_t *blob, size_t blob_bytes, SourceImage &image, std::string &error) {
    if (blob == nullptr || blob_bytes < FITS_BLOCK || std::memcmp(blob, "SIMPLE  =", 9) != 0) {
        error = "not a FITS file";
        return false;
    }
    int64_t bitpix = 0, axes = -1, zero = 0;
    int64_t sides[3] = {0, 0, 1};
    size_t offset = 0;
    bool ended = false;
    for (; offset + FITS_CARD <= blob_bytes && !ended; offset += FITS_CARD) {
        const std::string_view card(reinterpret_cast<const char *>(blob) + offset, FITS_CARD);
        const std::string_view keyword = Keyword(card);
        int64_t value = 0;
        if (keyword == "END") {
            ended = true;
        } else if (keyword == "BITPIX" && CardInteger(card, value)) {
            bitpix = value;
        } else if (keyword == "NAXIS" && CardInteger(card, value)) {
            axes = value;
        } else if (keyword.size() == 6 && keyword.substr(0, 5) == "NAXIS" && keyword[5] >= '1' &&
                   keyword[5] <= '3' && CardInteger(card, value)) {
            sides[keyword[5] - '1'] = value;
        } else if (keyword == "BZERO" && CardInteger(card, value)) {
            zero = value;
        }
    }
    if (!ended) {
        error = "the FITS header has no END";
        return false;
    }
    const size_t data_offset = (offset + FITS_BLOCK - 1) / FITS_BLOCK * FITS_BLOCK;
    if (bitpix != 8 && bitpix != 16) {
        error = "FITS samples of BITPIX " + std::to_string(bitpix) + " are not supported";
        return false;
    }
    if (axes != 2 && axes != 3) {
        error = "a FITS image of " + std::to_string(axes) + " axes is not a camera frame";
        return false;
    }
    if (axes == 2) {
        sides[2] = 1;
    }
    if (sides[0] < 1 || sides[0] > MAX_SIDE || sides[1] < 1 || sides[1] > MAX_SIDE ||
        (sides[2] != 1 && sides[2] != 3) || zero < -65536 || zero > 65536) {
        error = "the FITS image size or zero point is out of range";
        return false;
    }
    const int64_t sample_bytes = bitpix / 8;
    const int64_t plane_bytes = sides[0] * sides[1] * sample_bytes;
    const int64_t data_bytes = plane_bytes * sides[2];
    if (data_offset > blob_bytes || static_cast<int64_t>(blob_bytes - data_offset) < data_bytes) {
        error = "the FITS data are shorter than the header says";
        return false;
    }
    image.samples = blob + data_offset;
    image.width = static_cast<int32_t>(sides[0]);
    image.height = static_cast<int32_t>(sides[1]);
    image.channels = static_cast<int32_t>(sides[2]);
    image.sample_bytes = static_cast<int32_t>(sample_bytes);
    image.zero = static_cast<int32_t>(zero);
    image.pixel_stride = sample_bytes;
    image.row_stride = sides[0] * sample_bytes;
    image.channel_stride = plane_bytes;
    return true;
}

bool ParseStreamFrame(const uint8_t *blob, size_t blob_bytes, int32_t width, int32_t height,
                      SourceImage &image, std::string &error) {
    const int64_t pixels = int64_t{width} * height;
    const int64_t bytes = static_cast<int64_t>(blob_bytes);
    if (blob == nullptr || width < 1 || height < 1 || (bytes != pixels && bytes != 3 * pixels)) {
        error = "a stream frame of " + std::to_string(blob_bytes) + " bytes is not " +
                std::to_string(width) + " x " + std::to_string(height) + " pixels";
        return false;
    }
    image = SourceImage{};
    image.samples = blob;
    image.width = width;
    image.height = height;
    image.channels = bytes == pixels ? 1 : 3;
    image.pixel_stride = image.channels;
    image.row_stride = int64_t{width} * image.channels;
    image.channel_stride = 1;
    return true;
}

void PlaceImage(const SourceImage &image, const Placement &placement, uint8_t *frame,
                int32_t frame_width, int32_t frame_height) {
    if (frame == nullptr || frame_width < 1 || frame_height < 1) {
        return;
    }
    const int64_t frame_bytes = int64_t{frame_width} * frame_height;
    // Picture columns and frame rows that overlap the frame.
    const int64_t first_column = std::max<int64_t>(0, -int64_t{placement.x});
    const int64_t end_column = std::min<int64_t>(image.width, int64_t{frame_width} - placement.x);
    const int64_t first_row = std::max<int64_t>(0, placement.y);
    const int64_t end_row = std::min<int64_t>(frame_height, int64_t{placement.y} + image.height);
    if (image.samples == nullptr || first_column >= end_column || first_row >= end_row) {
        std::memset(frame, 0, static_cast<size_t>(frame_bytes));
        return;
    }
    if (end_column - first_column < frame_width || end_row - first_row < frame_height) {
        std::memset(frame, 0, static_cast<size_t>(frame_bytes));
    }
    const int32_t shift = std::clamp(placement.bit_depth, 8, 16) - 8;
    const int64_t columns = end_column - first_column;
    for (int64_t row = first_row; row < end_row; ++row) {
        // Frame row 0 is the bottom; the picture's first row is its top.
        const int64_t picture_row = int64_t{image.height} - 1 - (row - placement.y);
        uint8_t *out = frame + row * frame_width + placement.x + first_column;
        const uint8_t *in =
            image.samples + picture_row * image.row_stride + first_column * image.pixel_stride;
        const int64_t step = image.pixel_stride;
        if (image.channels == 3) {
            // The program's mosaic: even rows G R, odd rows B G, counted in
            // frame columns. Channels are red 0, green 1, blue 2.
            const int64_t first_frame_column = placement.x + first_column;
            const int64_t even_channel = (row % 2 == 0) ? 1 : 2;
            const int64_t odd_channel = (row % 2 == 0) ? 0 : 1;
            const int64_t channel_at[2] = {
                (first_frame_column % 2 == 0 ? even_channel : odd_channel) * image.channel_stride,
                (first_frame_column % 2 == 0 ? odd_channel : even_channel) * image.channel_stride};
            if (image.sample_bytes == 1) {
                for (int64_t i = 0; i < columns; ++i) {
                    out[i] = in[i * step + channel_at[i & 1]];
                }
            } else {
                for (int64_t i = 0; i < columns; ++i) {
                    const uint8_t *sample = in + i * step + channel_at[i & 1];
                    const int32_t value =
                        static_cast<int16_t>((sample[0] << 8) | sample[1]) + image.zero;
                    out[i] = static_cast<uint8_t>(std::clamp(value >> shift, 0, 255));
                }
            }
        } else if (image.sample_bytes == 1) {
            if (step == 1) {
                std::memcpy(out, in, static_cast<size_t>(columns));
            } else {
                for (int64_t i = 0; i < columns; ++i) {
                    out[i] = in[i * step];
                }
            }
        } else {
            // A picture of one channel of 16-bit samples has them side by side.
            ScaleSixteenBit(in, out, columns, image.zero, shift);
        }
    }
}

bool DecodeFrame(const uint8_t *blob, size_t blob_bytes, std::string_view format,
                 int32_t stream_width, int32_t stream_height, const Placement &placement,
                 uint8_t *frame, int32_t frame_width, int32_t frame_height, std::string &error) {
    SourceImage image;
    if (format == ".fits") {
        if (!ParseFits(blob, blob_bytes, image, error)) {
            return false;
        }
    } else if (format == ".stream") {
        if (!ParseStreamFrame(blob, blob_bytes, stream_width, stream_height, image, error)) {
            return false;
        }
    } else {
        error = "frames of format \"" + std::string(format) + "\" cannot be read";
        return false;
    }
    PlaceImage(image, placement, frame, frame_width, frame_height);
    return true;
}

}  // namespace indicam
