#pragma once

#include <cstdint>

// The bits of GuideCommand's direction code, whatever camera serves it.
inline constexpr int32_t GUIDE_RA_MINUS = 16;   // east
inline constexpr int32_t GUIDE_DEC_PLUS = 32;   // north
inline constexpr int32_t GUIDE_DEC_MINUS = 64;  // south
inline constexpr int32_t GUIDE_RA_PLUS = 128;   // west
