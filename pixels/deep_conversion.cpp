#include "pixels/deep_conversion.h"

void NarrowSamples(const uint16_t *samples, uint8_t *out, size_t count, int32_t bit_depth) {
    const int32_t shift = bit_depth > 8 ? bit_depth - 8 : 0;
    // A sample above the depth's maximum (a camera that sets stray high bits)
    // stays white rather than wrapping round to black.
    for (size_t i = 0; i < count; ++i) {
        const uint32_t value = static_cast<uint32_t>(samples[i]) >> shift;
        out[i] = static_cast<uint8_t>(value > 255 ? 255 : value);
    }
}
