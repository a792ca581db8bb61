// The plug-in side of list editing: whether plug-ins are on and which file
// patterns they offer. The patterns come from the plug-in bridge once it
// offers a gathering call; until then no plug-in adds a pattern.
#include "settings/settings.h"
#include "ui/list_editing.h"

bool pluginsSwitchedOn() {
    if (g_settings.SPI.empty()) return false;
    const DWORD attributes = GetFileAttributesW(g_settings.SPI.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::wstring> gatherPluginPatterns() {
    std::vector<std::wstring> patterns;
    if (!pluginsSwitchedOn()) return patterns;
    // Hook for the plug-in bridge: it fills `patterns` with up to 100
    // entries of the form "*.ext", in plug-in order.
    return patterns;
}
