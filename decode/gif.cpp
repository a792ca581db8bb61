#include "decode/decoders.h"

// Not built in yet: no picture, so the dispatcher falls back to the plug-ins.
LoadedImage* decodeGif(DecoderState&) noexcept { return nullptr; }
