#include <cstdlib>

#include "base/app_heap.h"

bool createAppHeap() noexcept { return true; }
void destroyAppHeap() noexcept {}
void* heapAlloc(size_t size) noexcept { return std::malloc(size ? size : 1); }
void* heapRealloc(void* block, size_t size) noexcept {
    return std::realloc(block, size ? size : 1);
}
void heapFree(void* block) noexcept { std::free(block); }
