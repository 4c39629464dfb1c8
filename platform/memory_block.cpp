#include "platform/memory_block.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>

uint8_t *NewMemoryBlock(size_t bytes, size_t ready_bytes) {
    void *block =
        ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (block == MAP_FAILED) {
        return nullptr;
    }
    // New pages are zero. Backing the part in use in one call spares a page
    // fault per 4 KB at the first write, which on a virtual machine cost
    // half again as much. Without it (a kernel older than 5.14) the first
    // writes fault as usual.
    const size_t page = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
    const size_t ready = (std::min(ready_bytes, bytes) + page - 1) / page * page;
    if (ready > 0) {
        ::madvise(block, ready, MADV_POPULATE_WRITE);
    }
    return static_cast<uint8_t *>(block);
}

void FreeMemoryBlock(uint8_t *block, size_t bytes) {
    if (block) {
        ::munmap(block, bytes);
    }
}
