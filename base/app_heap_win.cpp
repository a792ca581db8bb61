#include <windows.h>

#include "base/app_heap.h"

namespace {
HANDLE g_heap = nullptr;
HANDLE heap() noexcept { return g_heap ? g_heap : GetProcessHeap(); }
}  // namespace

bool createAppHeap() noexcept {
    if (!g_heap) g_heap = HeapCreate(0, 65536, 0);
    return g_heap != nullptr;
}

void destroyAppHeap() noexcept {
    if (g_heap) HeapDestroy(g_heap);
    g_heap = nullptr;
}

void* heapAlloc(size_t size) noexcept { return HeapAlloc(heap(), 0, size ? size : 1); }

void* heapRealloc(void* block, size_t size) noexcept {
    if (!block) return heapAlloc(size);
    return HeapReAlloc(heap(), 0, block, size ? size : 1);
}

void heapFree(void* block) noexcept {
    if (block) HeapFree(heap(), 0, block);
}
