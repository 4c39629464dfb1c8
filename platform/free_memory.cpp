#include "platform/free_memory.h"

#if defined(_WIN32)
#include <windows.h>

uint64_t FreePhysicalMemoryBytes() {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof(status);
    return GlobalMemoryStatusEx(&status) ? status.ullAvailPhys : 0;
}
#else
#include <cstdio>
#include <cstring>

uint64_t FreePhysicalMemoryBytes() {
    // MemAvailable counts reclaimable cache too, which is what an observer
    // means by free memory before a long recording.
    std::FILE *file = std::fopen("/proc/meminfo", "r");
    if (!file) {
        return 0;
    }
    char line[256];
    unsigned long long kib = 0;
    while (std::fgets(line, sizeof(line), file)) {
        if (std::sscanf(line, "MemAvailable: %llu kB", &kib) == 1) {
            break;
        }
    }
    std::fclose(file);
    return static_cast<uint64_t>(kib) * 1024;
}
#endif
