// The application heap: a private growable heap (64 KiB to start) for the
// program's small working arrays. Created first thing at start, destroyed
// last; natively it is the C heap.
#pragma once

#include <cstddef>

[[nodiscard]] bool createAppHeap() noexcept;
void destroyAppHeap() noexcept;
[[nodiscard]] void* heapAlloc(size_t size) noexcept;
[[nodiscard]] void* heapRealloc(void* block, size_t size) noexcept;
void heapFree(void* block) noexcept;
