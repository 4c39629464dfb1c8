#pragma once

#include <cmath>
#include <cstdint>

// Rounds to the nearest integer with halves going to the even neighbour
// (2.5 -> 2, 3.5 -> 4), the rounding every computed value of the program uses.
inline int32_t RoundHalfEven(double value) {
    return static_cast<int32_t>(std::nearbyint(value));  // default mode: to nearest, ties to even
}
