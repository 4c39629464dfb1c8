#pragma once

#include <cstddef>
#include <cstdint>

// The most dark exposures one set averages: 99 exposures of 255 sum to
// 25,245, which a 16-bit sum holds.
inline constexpr int32_t MAX_DARK_COUNT = 99;

// The per-sample passes of dark-frame calibration, each one pass over
// `count` contiguous samples: plain C++ on Highway, run on the best
// instruction set the processor has.
//
// The first exposure of a set starts the sum; every later one adds to it.
void StartDarkSum(const uint8_t *exposure, uint16_t *sum, size_t count);
void AddToDarkSum(const uint8_t *exposure, uint16_t *sum, size_t count);
// dark[k] := sum[k] div exposures, truncating. `exposures` is 1 .. MAX_DARK_COUNT
// and each sum is at most 255 x exposures, as the sum of that many samples is.
void AverageDarkSum(const uint16_t *sum, uint8_t *dark, size_t count, int32_t exposures);
// A saturated sample (255) stays white; any other sample loses the dark
// value, stopping at 0.
void SubtractDark(uint8_t *samples, const uint8_t *dark, size_t count);

// The same at a deep camera's depth (9 ... 16 bits in 16-bit words): the sum
// in 32 bits, the average truncating, and a sample at or above `maximum`
// (the depth's, 2^bit_depth - 1) stays as it is.
void StartDeepDarkSum(const uint16_t *exposure, uint32_t *sum, size_t count);
void AddToDeepDarkSum(const uint16_t *exposure, uint32_t *sum, size_t count);
void AverageDeepDarkSum(const uint32_t *sum, uint16_t *dark, size_t count, int32_t exposures);
void SubtractDeepDark(uint16_t *samples, const uint16_t *dark, size_t count, uint16_t maximum);
