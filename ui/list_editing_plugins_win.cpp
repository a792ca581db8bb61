// The plug-in side of list editing: whether plug-ins are on and which file
// patterns they offer.
#include "decode/plugin.h"
#include "settings/settings.h"
#include "ui/list_editing.h"

bool pluginsSwitchedOn() { return pluginFolderUsable(g_settings.SPI.c_str()); }

std::vector<std::wstring> gatherPluginPatterns() {
    // Empty when the folder is not usable; read afresh from the plug-ins.
    return listPluginPatterns(g_settings.SPI.c_str());
}
