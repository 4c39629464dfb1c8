#include "avi/avi_writer.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <numeric>

namespace {

// Fixed layout of everything before the first frame chunk.
constexpr int64_t MOVI_LIST_OFFSET = 212;
constexpr int64_t MOVI_TYPE_OFFSET = MOVI_LIST_OFFSET + 8;  // the 'movi' type code
constexpr int64_t HEADER_BYTES = MOVI_LIST_OFFSET + 12;
constexpr int64_t CHUNK_HEADER_BYTES = 8;
constexpr int64_t INDEX_ENTRY_BYTES = 16;

constexpr uint32_t AVIF_HASINDEX = 0x10;
constexpr uint32_t AVIIF_KEYFRAME = 0x10;
constexpr int64_t ONE_SECOND_US = 1000000;
constexpr int64_t SHORTEST_INTERVAL_US = 1000;
constexpr int64_t LONGEST_INTERVAL_US = 3600 * ONE_SECOND_US;

class ByteWriter {
  public:
    explicit ByteWriter(std::vector<uint8_t> &bytes) : bytes_(bytes) {}
    void Code(const char (&code)[5]) { bytes_.insert(bytes_.end(), code, code + 4); }
    void U32(uint32_t value) {
        for (int shift = 0; shift < 32; shift += 8) {
            bytes_.push_back(static_cast<uint8_t>(value >> shift));
        }
    }
    void U16(uint16_t value) {
        bytes_.push_back(static_cast<uint8_t>(value));
        bytes_.push_back(static_cast<uint8_t>(value >> 8));
    }

  private:
    std::vector<uint8_t> &bytes_;
};

int64_t DibStride(int32_t width) {
    return (static_cast<int64_t>(width) * 3 + 3) & ~int64_t{3};
}

int64_t FrameBytes(int32_t width, int32_t height) {
    if (width <= 0 || height <= 0) {
        return 0;
    }
    return DibStride(width) * height;
}

}  // namespace

int64_t MicrosecondsPerFrame(int32_t frame_count, int64_t first_to_last_us) {
    if (frame_count < 2) {
        return ONE_SECOND_US;
    }
    const int64_t intervals = frame_count - 1;
    const int64_t mean_us = (std::max<int64_t>(first_to_last_us, 0) + intervals / 2) / intervals;
    return std::clamp(mean_us, SHORTEST_INTERVAL_US, LONGEST_INTERVAL_US);
}

AviWriter::AviWriter(int32_t width, int32_t height, int64_t max_file_bytes)
    : width_(width),
      height_(height),
      frame_bytes_(static_cast<uint32_t>(std::min<int64_t>(FrameBytes(width, height), UINT32_MAX))),
      max_file_bytes_(std::min(max_file_bytes, AVI_MAX_FILE_BYTES)) {}

bool AviWriter::Create(const char *file_name) {
    // The headers, one frame and its index entry must fit, or the file is useless.
    const int64_t smallest_file =
        HEADER_BYTES + CHUNK_HEADER_BYTES + frame_bytes_ + CHUNK_HEADER_BYTES + INDEX_ENTRY_BYTES;
    if (file_name == nullptr || frame_bytes_ == 0 || smallest_file > max_file_bytes_ ||
        width_ > INT16_MAX || height_ > INT16_MAX) {
        return false;
    }
    if (!file_.Create(file_name)) {
        return false;
    }
    const std::vector<uint8_t> headers = Headers(ONE_SECOND_US, false, HEADER_BYTES);
    const FilePiece piece{headers.data(), headers.size()};
    if (!file_.Append(&piece, 1)) {
        file_.Close();
        std::remove(file_name);
        return false;
    }
    return true;
}

bool AviWriter::AddFrame(const AviFrameImage &frame) {
    if (!file_.IsOpen() || frame.width != width_ || frame.height != height_ ||
        frame.bits == nullptr || frame.stride < static_cast<int64_t>(width_) * 3) {
        return false;
    }
    const int64_t chunk_start = file_.Size();
    const int64_t index_bytes =
        CHUNK_HEADER_BYTES + INDEX_ENTRY_BYTES * (static_cast<int64_t>(index_.size()) + 1);
    if (chunk_start + CHUNK_HEADER_BYTES + frame_bytes_ + index_bytes > max_file_bytes_) {
        return false;
    }
    // Room for the entry first, so nothing can fail once the frame is on disk.
    if (index_.size() == index_.capacity()) {
        index_.reserve(index_.capacity() * 2 + 256);
    }

    const int64_t stride = DibStride(width_);
    const uint8_t *pixels = frame.bits;
    if (frame.stride != stride) {
        packed_.assign(frame_bytes_, 0);
        const size_t row_bytes = static_cast<size_t>(width_) * 3;
        for (int32_t row = 0; row < height_; ++row) {
            std::memcpy(packed_.data() + row * stride,
                        frame.bits + static_cast<int64_t>(row) * frame.stride, row_bytes);
        }
        pixels = packed_.data();
    }
    uint8_t chunk_header[CHUNK_HEADER_BYTES] = {'0', '0', 'd', 'b'};
    for (int i = 0; i < 4; ++i) {
        chunk_header[4 + i] = static_cast<uint8_t>(frame_bytes_ >> (8 * i));
    }
    // Frame sizes are multiples of four, so no pad byte follows the data.
    const FilePiece pieces[2] = {{chunk_header, sizeof chunk_header}, {pixels, frame_bytes_}};
    if (!file_.Append(pieces, 2)) {
        return false;
    }

    last_frame_time_ = std::chrono::steady_clock::now();
    if (index_.empty()) {
        first_frame_time_ = last_frame_time_;
    }
    index_.push_back({static_cast<uint32_t>(chunk_start - MOVI_TYPE_OFFSET), frame_bytes_});
    return true;
}

bool AviWriter::WriteIndex() {
    std::vector<uint8_t> bytes;
    bytes.reserve(CHUNK_HEADER_BYTES + INDEX_ENTRY_BYTES * index_.size());
    ByteWriter out(bytes);
    out.Code("idx1");
    out.U32(static_cast<uint32_t>(INDEX_ENTRY_BYTES * index_.size()));
    for (const IndexEntry &entry : index_) {
        out.Code("00db");
        out.U32(AVIIF_KEYFRAME);
        out.U32(entry.offset);
        out.U32(entry.size);
    }
    const FilePiece piece{bytes.data(), bytes.size()};
    return file_.Append(&piece, 1);
}

bool AviWriter::Close() {
    if (!file_.IsOpen()) {
        return false;
    }
    const int64_t movi_end = file_.Size();
    // Without room for the index the frames stay readable in order; the
    // headers then say that the file has none.
    const bool has_index = WriteIndex();
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::microseconds>(last_frame_time_ - first_frame_time_);
    const std::vector<uint8_t> headers =
        Headers(MicrosecondsPerFrame(FrameCount(), elapsed.count()), has_index, movi_end);
    const bool patched = file_.WriteAt(0, headers.data(), headers.size());
    const bool closed = file_.Close();
    return has_index && patched && closed;
}

std::vector<uint8_t> AviWriter::Headers(int64_t us_per_frame, bool has_index,
                                        int64_t movi_end) const {
    const uint32_t frames = static_cast<uint32_t>(index_.size());
    const int64_t file_end = std::max(file_.Size(), movi_end);
    // The frame rate as rate / scale frames per second, in lowest terms.
    const int64_t common = std::gcd(us_per_frame, ONE_SECOND_US);
    const uint32_t scale = static_cast<uint32_t>(us_per_frame / common);
    const uint32_t rate = static_cast<uint32_t>(ONE_SECOND_US / common);
    const int64_t bytes_per_second =
        ((CHUNK_HEADER_BYTES + frame_bytes_) * ONE_SECOND_US + us_per_frame - 1) / us_per_frame;

    std::vector<uint8_t> bytes;
    bytes.reserve(HEADER_BYTES);
    ByteWriter out(bytes);
    out.Code("RIFF");
    out.U32(static_cast<uint32_t>(file_end - 8));
    out.Code("AVI ");

    out.Code("LIST");
    out.U32(static_cast<uint32_t>(MOVI_LIST_OFFSET - 20));
    out.Code("hdrl");
    out.Code("avih");
    out.U32(56);
    out.U32(static_cast<uint32_t>(us_per_frame));
    out.U32(static_cast<uint32_t>(std::min<int64_t>(bytes_per_second, UINT32_MAX)));
    out.U32(0);  // padding granularity
    out.U32(has_index ? AVIF_HASINDEX : 0);
    out.U32(frames);
    out.U32(0);  // initial frames
    out.U32(1);  // streams
    out.U32(frame_bytes_);
    out.U32(static_cast<uint32_t>(width_));
    out.U32(static_cast<uint32_t>(height_));
    for (int i = 0; i < 4; ++i) {
        out.U32(0);
    }

    out.Code("LIST");
    out.U32(4 + 64 + 48);
    out.Code("strl");
    out.Code("strh");
    out.U32(56);
    out.Code("vids");
    out.Code("DIB ");
    out.U32(0);  // flags
    out.U16(0);  // priority
    out.U16(0);  // language
    out.U32(0);  // initial frames
    out.U32(scale);
    out.U32(rate);
    out.U32(0);  // start
    out.U32(frames);
    out.U32(frame_bytes_);
    out.U32(UINT32_MAX);  // quality: default
    out.U32(0);           // sample size: varies per chunk, as for all video
    out.U16(0);
    out.U16(0);
    out.U16(static_cast<uint16_t>(width_));
    out.U16(static_cast<uint16_t>(height_));

    // BITMAPINFOHEADER: positive height, so rows run bottom-up as stored.
    out.Code("strf");
    out.U32(40);
    out.U32(40);
    out.U32(static_cast<uint32_t>(width_));
    out.U32(static_cast<uint32_t>(height_));
    out.U16(1);   // planes
    out.U16(24);  // bits per pixel
    out.U32(0);   // BI_RGB
    out.U32(frame_bytes_);
    for (int i = 0; i < 4; ++i) {
        out.U32(0);
    }

    out.Code("LIST");
    out.U32(static_cast<uint32_t>(movi_end - MOVI_TYPE_OFFSET));
    out.Code("movi");
    return bytes;
}
