#include "platform/thread_priority.h"

#if defined(_WIN32)
#include <windows.h>

void RaiseCurrentThreadPriority() {
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
}
#else
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

void RaiseCurrentThreadPriority() {
    // Real-time scheduling needs privileges an observer's account rarely has;
    // a lower nice value is the most an ordinary user may ask for, and only
    // when the limits allow it.
    const auto thread_id = static_cast<id_t>(syscall(SYS_gettid));
    setpriority(PRIO_PROCESS, thread_id, -5);
}
#endif
