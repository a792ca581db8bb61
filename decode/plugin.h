// The road through the image plug-ins (*.spi libraries in the folder the
// user names), for files no built-in decoder reads, for the size filter of
// folder adds, and for the file patterns the plug-ins declare. Nothing is
// cached: every call lists the folder and loads each library anew. Natively
// no library is ever loaded and every entry behaves as with no folder set.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "decode/decoder_state.h"

// At most this many plug-ins are used and this many patterns listed.
inline constexpr size_t kMaxPlugins = 100;
inline constexpr size_t kMaxPluginPatterns = 100;
// A plug-in is asked for at most this many pattern texts (information
// numbers 2, 4, 6, ...), and no further once it repeats a text it gave:
// one that answers every number would otherwise be asked for ever.
inline constexpr int kMaxPatternTexts = 100;

// True when `folder` is not empty and names an existing directory: only then
// are plug-ins tried.
bool pluginFolderUsable(const wchar_t* folder) noexcept;

// The file patterns ("*.pic") the plug-ins of `folder` declare: lower-cased,
// each once, none whose extension a built-in decoder reads; empty when the
// folder is not usable.
std::vector<std::wstring> listPluginPatterns(const wchar_t* folder);

// Adds the patterns of one declared text ("*.PIC;*.pct") to `table`: each
// piece trimmed and lower-cased, skipped when empty, too long, already listed
// or of a built-in extension; stops when the table is full.
void addDeclaredPatterns(const wchar_t* text, std::vector<std::wstring>& table);

// True when `fileName` (a name or a path) matches one of `patterns` as a
// "*.ext" pattern does (letter case aside). Other pattern shapes match by
// their extension part.
bool matchesPluginPattern(const wchar_t* fileName,
                          const std::vector<std::wstring>& patterns) noexcept;

// Decodes `path` through the plug-in in `folder` that accepts it into
// state.image and returns &state.image (its bits owned by the caller), or
// null with the reason in state.error. The library and the memory the
// plug-in handed back are released before it returns.
LoadedImage* decodeWithPlugin(const wchar_t* path, const wchar_t* folder,
                              DecoderState& state) noexcept;

// The picture size the accepting plug-in reports for `path`; false (0 x 0,
// and the reason in `*reason` when given) when the folder is not usable or
// no plug-in takes the file.
bool probeWithPlugin(const wchar_t* path, const wchar_t* folder, int32_t& width, int32_t& height,
                     DecodeError* reason = nullptr) noexcept;
