// The test plug-ins built beside the tests, and files of their "TVX1" format.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace harness {

// How the test plug-in is told to misbehave (a byte in the file).
enum class TvxMode : uint8_t {
    Ok = 0,
    Compressed,
    TopDown,
    AsGiven,
    Oversized,
    ShortBits,
    Fail,
    TinyInfo
};

struct TvxPicture {
    TvxMode mode = TvxMode::Ok;
    int bits = 8;
    int32_t width = 1;
    int32_t height = 1;
    uint16_t shortSize = 0;   // bits-block size in ShortBits mode
    std::string rows;         // exactly as the bits block carries them
    bool prefix128 = false;   // a 128-byte prefix before the picture
    bool otherMagic = false;  // "WRNG": only the bad libraries would take it
};

std::string tvxBytes(const TvxPicture& picture);

// Copies the built test plug-ins into `folder`: the plug-in proper, its twin,
// the one answering another version and the one without GetPluginInfo, plus
// a file named .spi that is no library at all.
void installTestPlugins(const std::wstring& folder);

// Copies into `folder` the test plug-in whose information call answers every
// number: with the same pattern text each time (`repeating`), or with a new
// text each time. It logs each information call ("plugininfo 2").
void installEndlessPlugin(const std::wstring& folder, bool repeating);

// What the plug-in logged ("info 0", "picture 128", ...), one entry a line.
std::vector<std::string> pluginCalls(const std::wstring& folder);
void clearPluginCalls(const std::wstring& folder);

}  // namespace harness
