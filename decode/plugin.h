// The road through the image plug-ins, for files no built-in decoder reads.
// The bridge itself is not built yet: decodeWithPlugin produces no picture on
// either platform, so the dispatcher behaves as with no plug-in folder set.
#pragma once

#include "compose/loaded_image.h"

// What one plug-in decode holds (library, the plug-in's memory handles) and
// the record it fills. Released with the other decoder states; a pixel block
// handed over from `image` is never touched by the release.
struct PluginBinding {
    LoadedImage image{};
    void* library = nullptr;
    void* infoMemory = nullptr;
    void* bitsMemory = nullptr;

    PluginBinding() noexcept = default;
    ~PluginBinding() { release(); }
    PluginBinding(const PluginBinding&) = delete;
    PluginBinding& operator=(const PluginBinding&) = delete;

    void release() noexcept;
};

// True when `folder` is not empty and names an existing directory: only then
// are plug-ins tried.
bool pluginFolderUsable(const wchar_t* folder) noexcept;

// Decodes `path` through the plug-in in `folder` that accepts it; returns
// &binding.image (its bits owned by the caller) or null.
LoadedImage* decodeWithPlugin(const wchar_t* path, const wchar_t* folder,
                              PluginBinding& binding) noexcept;
