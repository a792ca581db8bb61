// Why a decoder, the dispatcher or the size probe gave no picture (or no
// size): one reason for each kind of check, so that a caller can say what was
// wrong with a file and a test can tell the check it meant from an earlier
// one that happened to refuse the same bytes.
#pragma once

#include <cstdint>

enum class DecodeError : uint8_t {
    None,                    // nothing refused
    OpenFailed,              // the file cannot be opened or mapped
    EmptyFile,               // the file holds no byte
    UnknownFormat,           // no built-in format starts this way, and no plug-in was asked
    Truncated,               // the file ends before the data it announces
    BadSignature,            // the signature or version is not the format's
    BadHeader,               // a header field holds a value the format does not allow
    SideOutOfRange,          // width or height below 1 or above 25,000
    UnsupportedBitDepth,     // a bit depth this reader does not take
    UnsupportedCompression,  // a compression this reader does not take
    UnsupportedColourModel,  // a colour type, colour model or component count it does not take
    UnusableMasks,           // bit-field masks that give no colour scale
    DataOutsideFile,         // a chunk, table, strip or pixel offset reaches past the end
    ChunkCrc,                // a chunk the picture needs fails its CRC
    ChunkOrder,              // a chunk that must come once, or earlier, is repeated or late
    MissingImageData,        // no pixel data at all
    MissingPalette,          // a palette picture without its palette
    UnknownBlock,            // a block type the format does not define
    FrameOutsideScreen,      // the frame does not fit the logical screen
    TooManyScans,            // a progressive file with a runaway number of scans
    LibraryError,            // the JPEG library stopped with an error of its own
    TooLarge,                // the pixel block would not fit a 32-bit size
    OutOfMemory,             // an allocation failed
    NoPlugin,                // no plug-in of the folder takes the file
    PluginFailed,            // the plug-in that took the file did not deliver a picture
    PathNotAnsi,             // the path has no form in the ANSI code page for the plug-ins
    CodecError,              // the WebP or AV1 library stopped with an error of its own
};

// A short English text for the reason ("file ends early"), never null.
const char* decodeErrorText(DecodeError error) noexcept;
