// The application heap: a private growable heap (64 KiB to start) for the
// program's small working arrays. Created first thing at start, destroyed
// last; natively it is the C heap.
#pragma once

#include <cstddef>

#include "base/unique_resource.h"

[[nodiscard]] bool createAppHeap() noexcept;
void destroyAppHeap() noexcept;
[[nodiscard]] void* heapAlloc(size_t size) noexcept;
[[nodiscard]] void* heapRealloc(void* block, size_t size) noexcept;
void heapFree(void* block) noexcept;

namespace app_heap_detail {
template <typename T>
struct HeapTraits {
    using Type = T*;
    static constexpr Type empty() noexcept { return nullptr; }
    static void release(Type p) noexcept { heapFree(p); }
};
}  // namespace app_heap_detail

// Move-only owner of one application-heap block.
template <typename T>
using HeapPtr = UniqueResource<app_heap_detail::HeapTraits<T>>;
