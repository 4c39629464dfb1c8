#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "pixels/dark_passes.h"

// What a set of darks was taken with: the camera settings in force (exposure,
// channel gains, sensor window and binning) and the number of exposures. Darks
// serve only frames taken with an equal key.
struct DarkKey {
    int32_t length = 0;     // exposure in ms
    int32_t length_us = 0;  // the same to the microsecond
    uint32_t rgain = 0;
    uint32_t bgain = 0;
    uint32_t ggain = 0;
    uint32_t width = 0;  // sensor window in full-sensor pixels
    uint32_t height = 0;
    uint32_t offsetx = 0;
    uint32_t offsety = 0;
    // Binning moves every sample to another place in the frame, even where
    // the frame size happens to stay the same.
    int32_t binning_code = 1;
    int32_t count = 0;  // dark exposures averaged
    // Darks serve frames of their own depth only: 8, or a deep camera's 9 ... 16.
    int32_t bit_depth = 8;

    bool operator==(const DarkKey &) const = default;
};

// The averaged dark frame, the sum it is built in, and the key of the darks
// it holds. The dark exposures are taken into the dark frame's own buffer
// and summed from there, so building a set replaces the darks held before.
// The dark frame's buffer holds two-byte samples, so that a deep camera's
// darks (kept at its full depth) fit as well; the sum of deep exposures, in
// 32 bits, is made when the first deep set is taken. The buffers are sized
// for the default camera's full sensor, grow for a larger one (Reserve) and
// live as long as the object. One thread only (the camera thread).
class DarkFrames {
  public:
    DarkFrames();

    // Whether the dark frame holds darks taken with `key`.
    bool ValidFor(const DarkKey &key) const { return valid_ && key_ == key; }
    // Room for frames of `samples` samples before a set is taken: a larger
    // sensor's frame would otherwise be exposed past the buffer's end. A
    // growth drops the darks held.
    void Reserve(size_t samples);
    // Where the next dark exposure of a set goes.
    uint8_t *ExposureBuffer() { return dark_.get(); }
    // Adds the exposure in ExposureBuffer(), `bit_depth` deep, to the sum,
    // over its first `samples` samples; the first exposure of a set starts
    // the sum and makes the darks held before invalid.
    void Accumulate(size_t samples, bool first, int32_t bit_depth = 8);
    // Ends a set of key.count exposures of key.bit_depth: their average
    // becomes the dark frame, valid for `key`.
    void Finish(const DarkKey &key, size_t samples);
    // Subtracts the dark frame from the first `samples` samples of a frame
    // `bit_depth` deep; a frame of another depth than the darks' is left
    // as it is. A saturated sample (the depth's maximum) stays.
    void SubtractFrom(uint8_t *frame, size_t samples, int32_t bit_depth = 8) const;
    // Gives up the exposure buffer for good: a camera that never finished a
    // dark exposure may still write into it. The darks are invalid after.
    void AbandonExposureBuffer();

  private:
    std::unique_ptr<uint8_t[]> dark_;
    std::unique_ptr<uint16_t[]> sum_;
    std::unique_ptr<uint32_t[]> deep_sum_;  // made for the first deep set
    size_t capacity_;                       // samples each buffer holds
    DarkKey key_;
    bool valid_ = false;
};
