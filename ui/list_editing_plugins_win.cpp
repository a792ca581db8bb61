// The plug-in side of list editing: whether plug-ins are on and which file
// patterns they offer. The patterns come from the plug-in bridge once it
// offers a gathering call; until then no plug-in adds a pattern.
#include "decode/plugin.h"
#include "settings/settings.h"
#include "ui/list_editing.h"

bool pluginsSwitchedOn() { return pluginFolderUsable(g_settings.SPI.c_str()); }

std::vector<std::wstring> gatherPluginPatterns() {
    std::vector<std::wstring> patterns;
    if (!pluginsSwitchedOn()) return patterns;
    // Hook for the plug-in bridge: it fills `patterns` with up to 100
    // entries of the form "*.ext", in plug-in order.
    return patterns;
}
