#include <sys/stat.h>

#include <string>

#include "base/wide_path.h"
#include "decode/plugin.h"

// Plug-ins are Windows libraries: natively nothing is ever loaded.
void PluginBinding::release() noexcept { library = infoMemory = bitsMemory = nullptr; }

bool pluginFolderUsable(const wchar_t* folder) noexcept {
    if (!folder || !*folder) return false;
    struct stat st;
    return stat(narrowPath(folder).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

LoadedImage* decodeWithPlugin(const wchar_t*, const wchar_t*, PluginBinding&) noexcept {
    return nullptr;
}
