#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

// The sensor of a camera that does not describe itself (CameraSensor's
// default); a described camera's sensor replaces it at run time.
inline constexpr int32_t FULL_WIDTH = 2048;
inline constexpr int32_t FULL_HEIGHT = 1536;
// The smallest frame block, the one a camera that does not describe itself
// gets. Every block of a connection has one size whatever the frame's
// geometry, so the allocator sees a single block size.
inline constexpr size_t FRAME_BLOCK_BYTES = 6000000;
// Freed frames kept for reuse by the next frames, at most.
inline constexpr size_t SPARE_FRAMES = 64;

// One acquired frame: samples row-major, the first row being the bottom row
// of the picture (a colour camera's raw mosaic in the same layout).
struct ImageLst {
    uint8_t *Data = nullptr;  // block_bytes; w x h samples used, all written by the camera
    size_t block_bytes = 0;   // the size of Data's block
    int32_t w = 0;            // samples per row, after binning
    int32_t h = 0;            // rows, after binning
    // Significant bits of a sample. 8: one byte per sample. 9 ... 16: two
    // bytes per sample (uint16_t, the machine's order), the value in the low
    // bits, so a 12-bit sample runs 0 ... 4095.
    int32_t bit_depth = 8;
    ImageLst *Next = nullptr;  // the next newer frame; null at the newest
    std::string TS;            // stamp text built before the exposure; may be empty
    uint32_t generation = 0;   // tag of the recording it was exposed for (TVideoCapture)
    // When the exposure was asked of the camera: ns since 1970-01-01 00:00
    // UTC (UtcNowNs); 0 when unknown.
    int64_t exposure_start_ns = 0;
};
using PImageLst = ImageLst *;

// Bytes of one sample of a frame `bit_depth` deep.
inline size_t BytesPerSample(int32_t bit_depth) {
    return bit_depth > 8 ? 2 : 1;
}

// The frame block a camera needs: its whole sensor at its sample depth, and
// never less than FRAME_BLOCK_BYTES (a deep 4096 x 3072 sensor: 25 MB).
size_t FrameBlockBytes(int32_t sensor_width, int32_t sensor_height, int32_t bit_depth);
// The size of the blocks made from now on, set once per connection before
// its first frame; kept blocks of another size are freed. A frame larger
// than the blocks still gets a block of its own size.
void SetFrameBlockBytes(size_t bytes);
size_t CurrentFrameBlockBytes();

// A frame record with a sample block (a new one's first w x h samples zero,
// a reused one's as its last frame left them) and a copy of `text`; null
// when memory is exhausted. Until it is appended the caller owns it.
PImageLst NewFrame(int32_t w, int32_t h, std::string_view text, int32_t bit_depth = 8);
// Frees a frame that never reached the list (a few are kept for reuse).
void FreeFrame(PImageLst frame);

// The FIFO through which the acquisition thread hands frames to the GUI
// thread. Append, removal of the oldest frame and clearing exclude one
// another (a one-frame list has head == tail). The list owns its frames and
// frees them only in RemoveOldestFrame and ClearFrameList; it has no length
// limit, frames wait as long as nobody removes them.
class FrameList {
  public:
    FrameList() = default;
    ~FrameList() { ClearFrameList(); }
    FrameList(const FrameList &) = delete;
    FrameList &operator=(const FrameList &) = delete;

    // Acquisition thread: the frame becomes the newest; the list owns it now.
    void AppendFrame(PImageLst frame);
    // GUI thread: unlinks and frees the oldest frame; nothing when empty.
    void RemoveOldestFrame();
    // GUI thread: frees every frame.
    void ClearFrameList();

    // GUI thread. A frame seen here stays valid until the GUI thread itself
    // removes it: the acquisition thread only ever appends behind it.
    PImageLst Oldest() const;
    PImageLst Newest() const;
    size_t Count() const;
    // GUI thread: how many queued frames `wanted` accepts.
    size_t CountWhere(const std::function<bool(const ImageLst &)> &wanted) const;

    // Acquisition thread: waits at most `timeout_ms` until fewer than `limit`
    // frames are queued; true when they are. Removals wake the waiter only
    // once they have made that room, not at every frame.
    bool WaitForRoom(size_t limit, uint32_t timeout_ms);

  private:
    mutable std::mutex mutex_;
    std::condition_variable room_made_;
    size_t room_wanted_below_ = 0;  // the waiter's limit; 0: nobody waits
    PImageLst head_ = nullptr;      // oldest
    PImageLst tail_ = nullptr;      // newest
    size_t count_ = 0;
};
