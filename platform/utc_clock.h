#pragma once

#include <cstdint>

// The system's wall clock in UTC: nanoseconds since 1970-01-01 00:00 UTC
// (CLOCK_REALTIME on Linux). It follows NTP's corrections and may step, so
// it dates frames; intervals are measured with TickCount.
int64_t UtcNowNs();
