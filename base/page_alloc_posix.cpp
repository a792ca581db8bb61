#include <sys/mman.h>
#include <unistd.h>

#include <cstring>

#include "base/page_alloc.h"

// Natively the block is placed so that it ends right at an inaccessible guard
// page: a decoder that writes or reads even one byte past its block faults at
// once in tests and fuzzers instead of corrupting a neighbour. The mapping's
// base and length sit in the 16 bytes in front of the block, which lie in the
// leading page or the block's own pages, never in the guard.
namespace {
struct BlockHeader {
    void* base;
    size_t length;
};
static_assert(sizeof(BlockHeader) <= 16);
}  // namespace

void* pageAlloc(size_t size) noexcept {
    if (size == 0) return nullptr;
    const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    const size_t rounded = (size + 15) & ~size_t{15};
    if (rounded < size || rounded > SIZE_MAX - 3 * page) return nullptr;
    const size_t dataPages = (rounded + page - 1) / page * page;
    const size_t length = page + dataPages + page;
    void* base = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (base == MAP_FAILED) return nullptr;
    auto* guard = static_cast<unsigned char*>(base) + page + dataPages;
    if (mprotect(guard, page, PROT_NONE) != 0) {
        munmap(base, length);
        return nullptr;
    }
    unsigned char* block = guard - rounded;
    BlockHeader h{base, length};
    std::memcpy(block - 16, &h, sizeof h);
    return block;
}

void pageFree(void* block) noexcept {
    if (!block) return;
    BlockHeader h;
    std::memcpy(&h, static_cast<unsigned char*>(block) - 16, sizeof h);
    munmap(h.base, h.length);
}
