#pragma once

#include <cstddef>
#include <cstdint>

// A block of `bytes` straight from the system, every byte zero, its first
// `ready_bytes` already backed by memory; null when the system has none.
uint8_t *NewMemoryBlock(size_t bytes, size_t ready_bytes);
// Gives a block of NewMemoryBlock back; `bytes` as it was made with.
void FreeMemoryBlock(uint8_t *block, size_t bytes);
