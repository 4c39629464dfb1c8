#pragma once

#include <cstdint>

// The driver's gain register value for a gain of 0..100 % of the full range:
// 1..32 in steps of 0.125 up to an analogue gain of 4, then 0x51..0x60 in
// steps of 0.25 up to 8, then 0x61..0x67 in whole steps up to 15.
int32_t GainCode(uint32_t gain_percent);
