#pragma once

#include <bit>
#include <cstdint>

// floor(t / m) for a divisor m of 1 ... 255 and any t up to 255 m, as one
// 16-bit multiply-high and a shift, exact:
// q = ((t + increment) x multiplier) >> (16 + shift).
// With p = floor(log2 m), the multiplier is 2^(16 + p) / m rounded up where
// its excess e = multiplier x m - 2^(16 + p) keeps t x e / (m 2^(16 + p))
// below 1 / m, so below the gap between t / m and the next integer, for
// every t up to 255 m: where 255 m e < 2^(16 + p), as for 220 of the 247
// divisors that are no power of two. Otherwise it is rounded down, with t
// raised by 1, exact for every t below 2^16 - 1 (Robison's N-bit division by
// a constant with an N-bit multiplier). A power of two needs neither: 2^15,
// one shift less; 1 is t + 1 times 65535.
struct ByteDivider {
    uint16_t multiplier = 65535;
    uint16_t increment = 1;  // 0 or 1
    int shift = 0;           // 0 ... 7
};

inline ByteDivider MakeByteDivider(uint32_t m) {
    ByteDivider divider;
    if (m <= 1) {
        return divider;
    }
    const int p = std::bit_width(m) - 1;
    if (std::has_single_bit(m)) {
        divider.multiplier = 1u << 15;
        divider.increment = 0;
        divider.shift = p - 1;
        return divider;
    }
    const uint32_t scaled = 1u << (16 + p);
    const uint32_t up = (scaled + m - 1) / m;
    divider.shift = p;
    if (255 * m * (up * m - scaled) < scaled) {
        divider.multiplier = static_cast<uint16_t>(up);
        divider.increment = 0;
    } else {
        divider.multiplier = static_cast<uint16_t>(scaled / m);
    }
    return divider;
}

inline uint32_t Divide(const ByteDivider &divider, uint32_t t) {
    return ((t + divider.increment) * divider.multiplier) >> (16 + divider.shift);
}
