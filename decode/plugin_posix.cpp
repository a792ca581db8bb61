#include <sys/stat.h>

#include <string>

#include "base/wide_path.h"
#include "decode/plugin.h"

// Plug-ins are Windows libraries: natively nothing is ever loaded, and every
// entry answers as with no plug-in folder set.
bool pluginFolderUsable(const wchar_t* folder) noexcept {
    if (!folder || !*folder) return false;
    struct stat st;
    return stat(narrowPath(folder).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::vector<std::wstring> listPluginPatterns(const wchar_t*) { return {}; }

LoadedImage* decodeWithPlugin(const wchar_t*, const wchar_t*, DecoderState& state) noexcept {
    return state.fail(DecodeError::NoPlugin);
}

bool probeWithPlugin(const wchar_t*, const wchar_t*, int32_t& width, int32_t& height,
                     DecodeError* reason) noexcept {
    width = height = 0;
    if (reason) *reason = DecodeError::NoPlugin;
    return false;
}
