#include <windows.h>

#include "decode/plugin.h"

void PluginBinding::release() noexcept {
    if (bitsMemory) {
        LocalUnlock(bitsMemory);
        LocalFree(bitsMemory);
        bitsMemory = nullptr;
    }
    if (infoMemory) {
        LocalUnlock(infoMemory);
        LocalFree(infoMemory);
        infoMemory = nullptr;
    }
    if (library) {
        FreeLibrary(static_cast<HMODULE>(library));
        library = nullptr;
    }
}

bool pluginFolderUsable(const wchar_t* folder) noexcept {
    if (!folder || !*folder) return false;
    const DWORD attrs = GetFileAttributesW(folder);
    return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY);
}

// The bridge to the plug-ins is not built yet.
LoadedImage* decodeWithPlugin(const wchar_t*, const wchar_t*, PluginBinding&) noexcept {
    return nullptr;
}
