#pragma once

#include <cstddef>
#include <cstdint>

// Deep samples (9 ... 16 significant bits in 16-bit words) to 8 bits: the
// top 8 of the `bit_depth` bits, so a 12-bit 4095 becomes 255 and 16 becomes
// 1. What an 8-bit file of a deep camera holds. `count` samples.
void NarrowSamples(const uint16_t *samples, uint8_t *out, size_t count, int32_t bit_depth);
