#pragma once

#include <cstdint>

// Physical memory available to programs, in bytes, as the system reports it;
// 0 when the system does not say.
uint64_t FreePhysicalMemoryBytes();
