#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

// Solar mode as the GUI thread sets it and the camera thread applies it to
// every frame before the frame is queued for display and recording.
struct SolarMode {
    std::atomic<bool> on{false};
    std::atomic<int32_t> limit{255};  // 0..255; with 255 nothing changes
    std::atomic<int32_t> shade{255};  // 0..255

    // Applies the clip to a frame's `count` samples, `bit_depth` deep, when
    // solar mode is on. Each setting is read once, so a frame is clipped with
    // one limit and shade. A deep frame is clipped at its depth's scale: a
    // sample is clipped exactly when its top 8 bits are above the limit (a
    // limit of 255 clips nothing), and the shade spreads over the depth, 255
    // becoming the depth's maximum.
    void Apply(uint8_t *samples, size_t count, int32_t bit_depth = 8) const;
};
