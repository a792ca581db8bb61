// Reads the header of arbitrary bytes as each built-in format would be read
// when a folder is added: no input may crash the probe or keep it reading.
#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include "decode/size_probe.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (ImageFormat format :
         {ImageFormat::Bmp, ImageFormat::Png, ImageFormat::Jpeg, ImageFormat::Tiff,
          ImageFormat::Gif, ImageFormat::Webp, ImageFormat::Avif, ImageFormat::Unknown}) {
        MemoryProbeSource source(data, size);
        const ImageSize s = probeImageSize(format, source);
        if (format == ImageFormat::Unknown && (s.width != 0 || s.height != 0)) __builtin_trap();
        // A side left at 0 comes with the reason.
        if ((s.width == 0 || s.height == 0) && s.error == DecodeError::None) __builtin_trap();
    }
    return 0;
}
