// Shortcut files read back through the shell-link object, and shortcut
// folders pointed at a test folder.
#pragma once

#include <windows.h>

#include <string>

namespace uitest {

struct LinkInfo {
    bool loaded = false;
    std::wstring target;
    std::wstring arguments;
    std::wstring iconPath;
    int iconIndex = -1;
    int showCommand = -1;
    // The show command as the file's header stores it (offset 0x3C).
    int storedShowCommand = -1;
};

LinkInfo readShortcut(const std::wstring& path);

// Points the startup, Send To and desktop folders at subfolders of a fresh
// temporary folder while it lives.
class ShortcutFolders {
public:
    ShortcutFolders();
    ~ShortcutFolders();
    ShortcutFolders(const ShortcutFolders&) = delete;
    ShortcutFolders& operator=(const ShortcutFolders&) = delete;
    std::wstring startup() const;
    std::wstring sendTo() const;
    std::wstring desktop() const;
};

// Number of files in a folder.
int fileCount(const std::wstring& folder);
// Full path of the running executable.
std::wstring ownPath();
// The running executable's file name without its extension.
std::wstring ownBaseName();

}  // namespace uitest
