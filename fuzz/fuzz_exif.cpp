// The EXIF reader on arbitrary bytes, as a bare block and as a JPEG's
// segments: never a read outside them, always one of the eight values.
#include <cstddef>
#include <cstdint>

#include "decode/exif.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (Orientation o : {exifOrientation(data, size), jpegOrientation(data, size)}) {
        const int v = static_cast<int>(o);
        if (v < 1 || v > 8) __builtin_trap();
    }
    return 0;
}
