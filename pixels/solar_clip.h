#pragma once

#include <cstddef>
#include <cstdint>

// Replaces every sample brighter than `limit` by `shade`, so that saturated
// areas show as one chosen grey level. Samples equal to the limit stay.
void SolarClip(uint8_t *samples, size_t count, uint8_t limit, uint8_t shade);
// The same for deep samples, the limit and the shade at the frame's depth.
void SolarClip(uint16_t *samples, size_t count, uint16_t limit, uint16_t shade);
