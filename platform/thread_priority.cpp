#include "platform/thread_priority.h"

#if defined(_WIN32)
#include <windows.h>

void SetCurrentThreadPriority(ThreadPriority priority) {
    int value = THREAD_PRIORITY_NORMAL;
    if (priority == ThreadPriority::Highest)
        value = THREAD_PRIORITY_HIGHEST;
    if (priority == ThreadPriority::TimeCritical)
        value = THREAD_PRIORITY_TIME_CRITICAL;
    SetThreadPriority(GetCurrentThread(), value);
}
#else
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

void SetCurrentThreadPriority(ThreadPriority priority) {
    // Real-time scheduling needs privileges an observer's account rarely has;
    // a lower nice value is the most an ordinary user may ask for, and only
    // when the limits allow it. Either request may be refused.
    int nice_value = 0;
    if (priority == ThreadPriority::Highest)
        nice_value = -5;
    if (priority == ThreadPriority::TimeCritical)
        nice_value = -10;
    const auto thread_id = static_cast<id_t>(syscall(SYS_gettid));
    setpriority(PRIO_PROCESS, thread_id, nice_value);
}
#endif
