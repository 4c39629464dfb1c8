#include "platform/utc_clock.h"

#include <chrono>
#include <ctime>

int64_t UtcNowNs() {
#ifdef CLOCK_REALTIME
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return int64_t{now.tv_sec} * 1000000000 + now.tv_nsec;
#else
    using namespace std::chrono;
    return duration_cast<nanoseconds>(system_clock::now().time_since_epoch()).count();
#endif
}
