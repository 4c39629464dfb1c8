#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

// A 24-bit device-independent bitmap, the picture format the renderer, the
// recorder and the writers share: blue, green, red bytes per pixel; rows run
// bottom-up (the lowest-addressed row is the picture's bottom row) and each
// row is padded to a multiple of 4 bytes.
class Bitmap24 {
  public:
    Bitmap24() = default;
    Bitmap24(int32_t width, int32_t height) { SetSize(width, height); }

    // Changes the size; the memory is kept when it is large enough, so resizing
    // per frame costs nothing. Pixel values are undefined afterwards.
    void SetSize(int32_t width, int32_t height);

    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    // Bytes per row, padding included.
    int32_t Stride() const { return StrideFor(width_); }
    size_t ByteCount() const { return static_cast<size_t>(Stride()) * height_; }

    // The pixel memory, starting with the bottom row.
    uint8_t *Bits() { return pixels_.get(); }
    const uint8_t *Bits() const { return pixels_.get(); }
    // Row `index` counted from the bottom (the lowest-addressed row).
    uint8_t *Row(int32_t index) { return pixels_.get() + static_cast<size_t>(index) * Stride(); }
    const uint8_t *Row(int32_t index) const {
        return pixels_.get() + static_cast<size_t>(index) * Stride();
    }

    static int32_t StrideFor(int32_t width) { return (width * 3 + 3) & ~3; }

  private:
    std::unique_ptr<uint8_t[]> pixels_;
    size_t capacity_ = 0;
    int32_t width_ = 0;
    int32_t height_ = 0;
};
