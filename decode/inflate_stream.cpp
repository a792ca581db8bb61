#include "decode/inflate_stream.h"

#include <cstdint>
#include <cstring>

#include "base/app_heap.h"

namespace {

voidpf zAlloc(voidpf, uInt items, uInt size) noexcept {
    const uint64_t bytes = uint64_t{items} * size;
    if (bytes == 0 || bytes > 0x7FFFFFFFu) return Z_NULL;
    void* p = heapAlloc(static_cast<size_t>(bytes));
    if (p) std::memset(p, 0, static_cast<size_t>(bytes));
    return p;
}

void zFree(voidpf, voidpf p) noexcept { heapFree(p); }

}  // namespace

bool openInflateStream(z_stream& z) noexcept {
    z.zalloc = zAlloc;
    z.zfree = zFree;
    z.opaque = Z_NULL;
    z.next_in = Z_NULL;
    z.avail_in = 0;
    return inflateInit(&z) == Z_OK;
}
