// Pixel blocks and large work buffers come straight from the operating
// system's page allocator: VirtualAlloc/VirtualFree on Windows, mmap/munmap
// elsewhere. Blocks are zero-filled when they arrive.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>

// Reserves and commits a zero-filled block of at least `size` bytes; null on
// failure or for size 0.
[[nodiscard]] void* pageAlloc(size_t size) noexcept;
// Releases a block from pageAlloc (null is ignored).
void pageFree(void* block) noexcept;

// Move-only owner of one page block; release() hands the block over.
class PageBlock {
public:
    PageBlock() noexcept = default;
    explicit PageBlock(size_t size) noexcept : p_(static_cast<uint8_t*>(pageAlloc(size))) {}
    // Takes over a block from pageAlloc that someone handed over.
    [[nodiscard]] static PageBlock adopt(void* block) noexcept {
        PageBlock owner;
        owner.p_ = static_cast<uint8_t*>(block);
        return owner;
    }
    ~PageBlock() { pageFree(p_); }
    PageBlock(PageBlock&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    PageBlock& operator=(PageBlock&& o) noexcept {
        if (this != &o) {
            pageFree(p_);
            p_ = std::exchange(o.p_, nullptr);
        }
        return *this;
    }
    PageBlock(const PageBlock&) = delete;
    PageBlock& operator=(const PageBlock&) = delete;

    uint8_t* get() const noexcept { return p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }
    [[nodiscard]] uint8_t* release() noexcept { return std::exchange(p_, nullptr); }

private:
    uint8_t* p_ = nullptr;
};
