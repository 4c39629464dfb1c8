#pragma once

#include <chrono>
#include <cstdint>
#include <vector>

#include "avi/avi_utils.h"
#include "avi/raw_file.h"

// Readers of RIFF AVI 1.0 take the chunk sizes as signed 32-bit numbers, so a
// file stays below 2 GiB.
inline constexpr int64_t AVI_MAX_FILE_BYTES = 0x7FFFFFFF;

// Mean time between frames written into the headers, in microseconds, from the
// frames' arrival times. A file of fewer than two frames has no interval to
// measure and plays at one frame per second; measured intervals are kept
// between one millisecond (1000 frames per second) and one hour.
int64_t MicrosecondsPerFrame(int32_t frame_count, int64_t first_to_last_us);

// One AVI file of uncompressed bottom-up 24-bit frames. The index stays in
// memory until Close, which writes it and the final headers. Not for use by
// two threads at once.
class AviWriter {
  public:
    AviWriter(int32_t width, int32_t height, int64_t max_file_bytes = AVI_MAX_FILE_BYTES);
    AviWriter(const AviWriter &) = delete;
    AviWriter &operator=(const AviWriter &) = delete;

    bool Create(const char *file_name);
    bool AddFrame(const AviFrameImage &frame);
    bool Close();
    int32_t FrameCount() const { return static_cast<int32_t>(index_.size()); }

  private:
    struct IndexEntry {
        uint32_t offset;  // from the 'movi' list type, as readers expect
        uint32_t size;
    };
    std::vector<uint8_t> Headers(int64_t us_per_frame, bool has_index, int64_t movi_end) const;
    bool WriteIndex();

    const int32_t width_;
    const int32_t height_;
    const uint32_t frame_bytes_;
    const int64_t max_file_bytes_;
    RawFile file_;
    std::vector<IndexEntry> index_;
    std::vector<uint8_t> packed_;  // rows repacked when a caller's stride differs
    std::chrono::steady_clock::time_point first_frame_time_;
    std::chrono::steady_clock::time_point last_frame_time_;
};
