#include "decode/decode_error.h"

const char* decodeErrorText(DecodeError error) noexcept {
    switch (error) {
        case DecodeError::None:
            return "no error";
        case DecodeError::OpenFailed:
            return "cannot open or map the file";
        case DecodeError::EmptyFile:
            return "empty file";
        case DecodeError::UnknownFormat:
            return "not a format any decoder reads";
        case DecodeError::Truncated:
            return "file ends early";
        case DecodeError::BadSignature:
            return "bad signature or version";
        case DecodeError::BadHeader:
            return "malformed header field";
        case DecodeError::SideOutOfRange:
            return "width or height outside 1 to 25,000";
        case DecodeError::UnsupportedBitDepth:
            return "unsupported bit depth";
        case DecodeError::UnsupportedCompression:
            return "unsupported compression";
        case DecodeError::UnsupportedColourModel:
            return "unsupported colour type";
        case DecodeError::UnusableMasks:
            return "unusable colour masks";
        case DecodeError::DataOutsideFile:
            return "data reaches past the end of the file";
        case DecodeError::ChunkCrc:
            return "chunk CRC mismatch";
        case DecodeError::ChunkOrder:
            return "chunk repeated or out of order";
        case DecodeError::MissingImageData:
            return "no image data";
        case DecodeError::MissingPalette:
            return "no palette";
        case DecodeError::UnknownBlock:
            return "unknown block type";
        case DecodeError::FrameOutsideScreen:
            return "frame outside the logical screen";
        case DecodeError::TooManyScans:
            return "too many progressive scans";
        case DecodeError::LibraryError:
            return "JPEG library error";
        case DecodeError::TooLarge:
            return "picture too large to allocate";
        case DecodeError::OutOfMemory:
            return "allocation failed";
        case DecodeError::NoPlugin:
            return "no plug-in takes the file";
        case DecodeError::PluginFailed:
            return "the plug-in refused the file";
        case DecodeError::PathNotAnsi:
            return "path not representable for plug-ins";
        case DecodeError::CodecError:
            return "WebP or AV1 library error";
    }
    return "unknown reason";
}
