#include "decode/decoders.h"

// Not built in yet: no picture, so the dispatcher falls back to the plug-ins.
LoadedImage* decodeJpegBytes(DecoderState&) noexcept { return nullptr; }
LoadedImage* decodeJpeg(const wchar_t*, DecoderState&) noexcept { return nullptr; }
