// imgdump INPUT OUTPUT.bmp
// Decodes INPUT through the same dispatcher the program uses and writes the
// picture it produced as an uncompressed .bmp (8-bit with its 256-entry
// palette, or 24-bit), printing "WIDTH HEIGHT BITS". A file no decoder
// takes is reported on standard error with the reason the decoders gave.
// Exit status: 0 done, 1 no decoder produced a picture, 2 usage or output error.
#include <cstdio>
#include <string>

#include "base/page_alloc.h"
#include "base/wide_path.h"
#include "decode/decoders.h"
#include "image/bmp_file.h"
#include "image/loaded_image.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: imgdump INPUT OUTPUT.bmp\n");
        return 2;
    }
    const std::wstring input = widenPath(argv[1]);
    const std::wstring output = widenPath(argv[2]);
    // Natively there are no plug-ins to ask.
    DecodeError reason = DecodeError::None;
    if (!loadImageFile(input.c_str(), nullptr, &reason)) {
        std::fprintf(stderr, "imgdump: no decoder produced a picture from %s: %s\n", argv[1],
                     decodeErrorText(reason));
        return 1;
    }
    const dib::BITMAPINFOHEADER& h = CurrentImage.header;
    const bool written = writeBmpFile(output.c_str(), h, CurrentImage.palette, CurrentImage.bits);
    pageFree(CurrentImage.bits);
    CurrentImage.bits = nullptr;
    if (!written) {
        std::fprintf(stderr, "imgdump: cannot write %s\n", argv[2]);
        return 2;
    }
    std::printf("%d %d %d\n", static_cast<int>(h.biWidth), static_cast<int>(h.biHeight),
                static_cast<int>(h.biBitCount));
    return 0;
}
