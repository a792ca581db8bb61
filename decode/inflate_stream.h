// zlib's inflate over the application heap, as the PNG and TIFF decoders
// use it: allocations checked for size and zero-filled.
#pragma once

#include <zlib.h>

// Prepares `z` (its input empty) and starts inflating a zlib stream; false
// when zlib cannot start (no memory).
[[nodiscard]] bool openInflateStream(z_stream& z) noexcept;
