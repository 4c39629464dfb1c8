#include "driver/indi/frame_decode.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "pixels/demosaic.h"

namespace indicam {

namespace {

constexpr size_t FITS_BLOCK = 2880;
constexpr size_t FITS_CARD = 80;
// Far beyond any camera; keeps every size product inside 64 bits.
constexpr int64_t MAX_SIDE = 1 << 16;

// The number in a header card's value field; false when it has none.
bool CardNumber(std::string_view card, double &value) {
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
    if (end == field.c_str() || !std::isfinite(number)) {
        return false;
    }
    for (; *end != '\0'; ++end) {
        if (*end != ' ') {
            return false;
        }
    }
    value = number;
    return true;
}

// The integer in a header card's value field; false when it holds none.
bool CardInteger(std::string_view card, int64_t &value) {
    double number = 0;
    if (!CardNumber(card, number) || std::fabs(number) > 1e15 ||
        number != static_cast<double>(static_cast<int64_t>(number))) {
        return false;
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

// The stream's curve for every 16-bit sample, made once.
const std::array<uint8_t, 65536> &StreamLevels() {
    static const std::array<uint8_t, 65536> levels = [] {
        // libindi's GammaLut16 with its defaults, computed as it does.
        constexpr double GAMMA = 2.4, SLOPE = 12.92, OFFSET = 0.055, KNEE = 0.00304;
        std::array<uint8_t, 65536> table{};
        for (size_t i = 0; i < table.size(); ++i) {
            const double level = static_cast<double>(i) / 65535.0;
            const double p = level <= KNEE
                                 ? SLOPE * level
                                 : (1 + OFFSET) * std::pow(static_cast<float>(level),
                                                           static_cast<float>(1.0 / GAMMA)) -
                                       OFFSET;
            table[i] = static_cast<uint8_t>(std::round(255.0 * p));
        }
        return table;
    }();
    return levels;
}

// Big-endian 16-bit samples, `zero` added and clamped to 0 … 65535, to 8
// bits through the stream's curve.
void ScaleSixteenBit(const uint8_t *in, uint8_t *out, int64_t count, int32_t zero) {
    const std::array<uint8_t, 65536> &levels = StreamLevels();
    if (zero == 32768) {
        for (int64_t i = 0; i < count; ++i) {
            // Adding 32768 to a 16-bit signed sample flips its top bit.
            out[i] = levels[static_cast<uint16_t>((in[2 * i] << 8 | in[2 * i + 1]) ^ 0x8000)];
        }
        return;
    }
    for (int64_t i = 0; i < count; ++i) {
        const auto raw = static_cast<uint16_t>((in[2 * i] << 8) | in[2 * i + 1]);
        const int32_t value = static_cast<int16_t>(raw) + zero;
        out[i] = levels[static_cast<size_t>(std::clamp(value, 0, 65535))];
    }
}

}  // namespace

bool ParseFits(const uint8_t *blob, size_t blob_bytes, SourceImage &image, std::string &error) {
    if (blob == nullptr || blob_bytes < FITS_BLOCK || std::memcmp(blob, "SIMPLE  =", 9) != 0) {
        error = "not a FITS file";
        return false;
    }
    int64_t bitpix = 0, axes = -1, zero = 0, binning_x = 0, binning_y = 0;
    int64_t sides[3] = {0, 0, 1};
    double exposure_s = -1;
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
        } else if (keyword == "EXPTIME") {
            CardNumber(card, exposure_s);
        } else if (keyword == "XBINNING" && CardInteger(card, value)) {
            binning_x = value;
        } else if (keyword == "YBINNING" && CardInteger(card, value)) {
            binning_y = value;
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
    image.exposure_s = exposure_s;
    image.binning_x = static_cast<int32_t>(std::clamp<int64_t>(binning_x, 0, MAX_SIDE));
    image.binning_y = static_cast<int32_t>(std::clamp<int64_t>(binning_y, 0, MAX_SIDE));
    return true;
}

bool ParseStreamFrame(const uint8_t *blob, size_t blob_bytes, int32_t width, int32_t height,
                      SourceImage &image, std::string &error) {
    const int64_t pixels = int64_t{width} * height;
    const int64_t bytes = static_cast<int64_t>(blob_bytes);
    // Grey or red-green-blue, 8 or 16 bits: 1, 3, 2 or 6 bytes a pixel.
    const int64_t per_pixel = pixels > 0 && bytes % pixels == 0 ? bytes / pixels : 0;
    if (blob == nullptr || width < 1 || height < 1 ||
        (per_pixel != 1 && per_pixel != 2 && per_pixel != 3 && per_pixel != 6)) {
        error = "a stream frame of " + std::to_string(blob_bytes) + " bytes is not " +
                std::to_string(width) + " x " + std::to_string(height) + " pixels";
        return false;
    }
    image = SourceImage{};
    image.samples = blob;
    image.width = width;
    image.height = height;
    image.channels = per_pixel % 3 == 0 ? 3 : 1;
    image.sample_bytes = per_pixel % 2 == 0 ? 2 : 1;
    image.little_endian = image.sample_bytes == 2;
    image.pixel_stride = per_pixel;
    image.row_stride = int64_t{width} * per_pixel;
    image.channel_stride = image.sample_bytes;
    return true;
}

namespace {

// The kinds of sample a picture may hold.
enum class SampleKind { Byte, Curved, BigEndian, LittleEndian };

SampleKind KindOf(const SourceImage &image) {
    if (image.sample_bytes == 1) {
        return image.on_stream_curve ? SampleKind::Curved : SampleKind::Byte;
    }
    return image.little_endian ? SampleKind::LittleEndian : SampleKind::BigEndian;
}

// One sample as the camera made it: 8-bit, 16-bit, or off the stream's
// curve through `linear` (LinearLevel of each level); not yet clamped.
template <SampleKind kind>
int32_t ReadSample(const uint8_t *sample, int32_t zero, const uint16_t *linear) {
    if constexpr (kind == SampleKind::Byte) {
        return sample[0];
    } else if constexpr (kind == SampleKind::Curved) {
        return linear[sample[0]];
    } else if constexpr (kind == SampleKind::LittleEndian) {
        return sample[0] | (sample[1] << 8);
    } else {
        return static_cast<int16_t>((sample[0] << 8) | sample[1]) + zero;
    }
}

// One frame row of 16-bit samples in the machine's order, up to `maximum`.
// A mosaic's samples are `step` apart, `offset_at` picking each column's
// channel by its parity; a grey picture's lie side by side, a loop the
// compiler vectorises.
template <SampleKind kind, bool mosaic>
void PlaceDeepRow(const uint8_t *in, int64_t step, const int64_t offset_at[2], int64_t columns,
                  int32_t zero, const uint16_t *linear, int32_t maximum, uint8_t *out) {
    constexpr int64_t SAMPLE_BYTES = kind == SampleKind::Byte || kind == SampleKind::Curved ? 1 : 2;
    for (int64_t i = 0; i < columns; ++i) {
        const uint8_t *at = mosaic ? in + i * step + offset_at[i & 1] : in + i * SAMPLE_BYTES;
        const int32_t value = ReadSample<kind>(at, zero, linear);
        const auto sample = static_cast<uint16_t>(std::clamp(value, 0, maximum));
        std::memcpy(out + 2 * i, &sample, sizeof sample);
    }
}

template <SampleKind kind>
void PlaceDeepRowOf(const SourceImage &image, const uint8_t *in, const int64_t offset_at[2],
                    int64_t columns, const uint16_t *linear, int32_t maximum, uint8_t *out) {
    if (image.channels == 1) {
        PlaceDeepRow<kind, false>(in, 0, offset_at, columns, image.zero, linear, maximum, out);
    } else {
        PlaceDeepRow<kind, true>(in, image.pixel_stride, offset_at, columns, image.zero, linear,
                                 maximum, out);
    }
}

}  // namespace

void PlaceImage(const SourceImage &image, const Placement &placement, uint8_t *frame,
                int32_t frame_width, int32_t frame_height, int32_t deep_bits) {
    if (frame == nullptr || frame_width < 1 || frame_height < 1) {
        return;
    }
    const int64_t sample_bytes = deep_bits > 0 ? 2 : 1;
    const int64_t frame_bytes = int64_t{frame_width} * frame_height * sample_bytes;
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
    const int64_t columns = end_column - first_column;
    const SampleKind kind = KindOf(image);
    const int32_t bits = std::clamp(deep_bits, 8, 16);
    const int32_t maximum = (1 << bits) - 1;
    std::array<uint16_t, 256> linear{};
    if (deep_bits > 0 && kind == SampleKind::Curved) {
        for (size_t level = 0; level < linear.size(); ++level) {
            linear[level] = LinearLevel(static_cast<uint8_t>(level), bits);
        }
    }
    for (int64_t row = first_row; row < end_row; ++row) {
        // Frame row 0 is the bottom; the picture's first row is its top.
        const int64_t picture_row = int64_t{image.height} - 1 - (row - placement.y);
        uint8_t *out = frame + (row * frame_width + placement.x + first_column) * sample_bytes;
        const uint8_t *in =
            image.samples + picture_row * image.row_stride + first_column * image.pixel_stride;
        const int64_t step = image.pixel_stride;
        int64_t offset_at[2] = {0, 0};
        if (image.channels == 3) {
            // The program's mosaic, counted in frame columns; the picture's
            // channels are red 0, green 1, blue 2 as the mosaic's.
            const int64_t first_frame_column = placement.x + first_column;
            offset_at[0] = simcam::MosaicChannel(first_frame_column, row) * image.channel_stride;
            offset_at[1] = simcam::MosaicChannel(first_frame_column + 1, row) * image.channel_stride;
        }
        if (deep_bits > 0) {
            const uint16_t *table = linear.data();
            switch (kind) {
                case SampleKind::Byte:
                    PlaceDeepRowOf<SampleKind::Byte>(image, in, offset_at, columns, table, maximum,
                                                     out);
                    break;
                case SampleKind::Curved:
                    PlaceDeepRowOf<SampleKind::Curved>(image, in, offset_at, columns, table,
                                                       maximum, out);
                    break;
                case SampleKind::LittleEndian:
                    PlaceDeepRowOf<SampleKind::LittleEndian>(image, in, offset_at, columns, table,
                                                             maximum, out);
                    break;
                case SampleKind::BigEndian:
                    PlaceDeepRowOf<SampleKind::BigEndian>(image, in, offset_at, columns, table,
                                                          maximum, out);
                    break;
            }
        } else if (image.sample_bytes == 1) {
            if (image.channels == 1 && step == 1) {
                std::memcpy(out, in, static_cast<size_t>(columns));
            } else {
                for (int64_t i = 0; i < columns; ++i) {
                    out[i] = in[i * step + offset_at[i & 1]];
                }
            }
        } else if (image.channels == 1 && !image.little_endian) {
            // A picture of one channel of 16-bit samples has them side by side.
            ScaleSixteenBit(in, out, columns, image.zero);
        } else {
            for (int64_t i = 0; i < columns; ++i) {
                const uint8_t *sample = in + i * step + offset_at[i & 1];
                const int32_t value =
                    image.little_endian
                        ? ReadSample<SampleKind::LittleEndian>(sample, 0, nullptr)
                        : ReadSample<SampleKind::BigEndian>(sample, image.zero, nullptr);
                out[i] = StreamLevel(static_cast<uint16_t>(std::clamp(value, 0, 65535)));
            }
        }
    }
}

uint8_t StreamLevel(uint16_t sample) {
    return StreamLevels()[sample];
}

uint16_t LinearLevel(uint8_t level, int32_t bit_depth) {
    static const std::array<uint16_t, 256> middles = [] {
        // The curve rises with its sample; every level has a run of them.
        std::array<int32_t, 256> first{}, last{};
        first.fill(-1);
        const std::array<uint8_t, 65536> &levels = StreamLevels();
        for (int32_t i = 0; i < 65536; ++i) {
            const uint8_t at = levels[static_cast<size_t>(i)];
            if (first[at] < 0) {
                first[at] = i;
            }
            last[at] = i;
        }
        std::array<uint16_t, 256> table{};
        for (size_t i = 0; i < table.size(); ++i) {
            // A level the curve skips takes its lower neighbour's value.
            table[i] = first[i] >= 0 ? static_cast<uint16_t>((first[i] + last[i]) / 2)
                                     : (i > 0 ? table[i - 1] : 0);
        }
        // Black stays black, and the stream's white is saturation.
        table.front() = 0;
        table.back() = 65535;
        return table;
    }();
    const int64_t maximum = (int64_t{1} << std::clamp(bit_depth, 1, 16)) - 1;
    return static_cast<uint16_t>((middles[level] * maximum + 32767) / 65535);
}

Decoded DecodeFrame(const uint8_t *blob, size_t blob_bytes, std::string_view format,
                    const AskedFrame &asked, const Placement &placement, uint8_t *frame,
                    int32_t frame_width, int32_t frame_height, std::string &error,
                    int32_t deep_bits) {
    SourceImage image;
    if (format == ".fits") {
        if (!ParseFits(blob, blob_bytes, image, error)) {
            return Decoded::Damaged;
        }
        if (asked.stream) {
            error = "a single exposure came while the stream was asked for";
            return Decoded::NotAsked;
        }
        if (image.width != asked.width || image.height != asked.height) {
            error = "a picture of " + std::to_string(image.width) + " x " +
                    std::to_string(image.height) + " came for one of " +
                    std::to_string(asked.width) + " x " + std::to_string(asked.height);
            return Decoded::NotAsked;
        }
        if (image.exposure_s >= 0 && std::fabs(image.exposure_s - asked.exposure_s) >
                                         std::max(0.001, 0.01 * asked.exposure_s)) {
            error = "a picture of " + std::to_string(image.exposure_s) + " s came for one of " +
                    std::to_string(asked.exposure_s) + " s";
            return Decoded::NotAsked;
        }
        if ((image.binning_x != 0 && image.binning_x != asked.binning) ||
            (image.binning_y != 0 && image.binning_y != asked.binning)) {
            error = "a picture binned " + std::to_string(image.binning_x) + " x " +
                    std::to_string(image.binning_y) + " came for one binned " +
                    std::to_string(asked.binning);
            return Decoded::NotAsked;
        }
    } else if (format == ".stream") {
        if (!asked.stream) {
            error = "a stream frame came while a single exposure was asked for";
            return Decoded::NotAsked;
        }
        if (!ParseStreamFrame(blob, blob_bytes, asked.width, asked.height, image, error)) {
            return Decoded::NotAsked;
        }
        image.on_stream_curve = image.sample_bytes == 1 && deep_bits > 8;
    } else {
        error = "frames of format \"" + std::string(format) + "\" cannot be read";
        return Decoded::Damaged;
    }
    PlaceImage(image, placement, frame, frame_width, frame_height, deep_bits);
    return Decoded::Placed;
}

}  // namespace indicam
