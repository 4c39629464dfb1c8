#pragma once

#include <cstdint>

// Milliseconds since boot as an unsigned 32-bit value; wraps after 49.7 days,
// so compare ticks by difference, never by size across a wrap.
uint32_t TickCount();
