#include <windows.h>

#include "base/page_alloc.h"

void* pageAlloc(size_t size) noexcept {
    if (size == 0) return nullptr;
    return VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}

void pageFree(void* block) noexcept {
    if (!block) return;
    // Decommit first, then release the reservation.
    VirtualFree(block, 0, MEM_DECOMMIT);
    VirtualFree(block, 0, MEM_RELEASE);
}
