#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "base/owners_win.h"
#include "base/path.h"
#include "ui/shortcuts.h"

namespace {

std::wstring knownFolder(ShortcutFolder folder) {
    int csidl = CSIDL_DESKTOP;
    if (folder == ShortcutFolder::Startup) csidl = CSIDL_STARTUP;
    if (folder == ShortcutFolder::SendTo) csidl = CSIDL_SENDTO;
    wchar_t path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
    return path;
}

// Tests point the shortcut folders at folders of their own; null for the
// known folders.
ShortcutFolderLookup g_folderLookupForTesting = nullptr;

std::wstring shortcutFolder(ShortcutFolder folder) {
    return g_folderLookupForTesting ? g_folderLookupForTesting(folder) : knownFolder(folder);
}

std::wstring programPath() {
    wchar_t path[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return {};
    return path;
}

std::wstring shortcutPathIn(ShortcutFolder folder, const wchar_t* suffix) {
    const std::wstring program = programPath();
    if (program.empty()) return {};
    std::wstring dir = shortcutFolder(folder);
    if (dir.empty()) return {};
    if (dir.back() != L'\\') dir += L'\\';
    std::wstring path = dir + shortcutFileName(program.c_str(), suffix);
    if (path.size() >= MAX_PATH) return {};
    return path;
}

bool fileExists(const std::wstring& path) {
    return !path.empty() && GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void settle(const std::wstring& path, bool wanted, const wchar_t* arguments, int showCommand) {
    if (path.empty()) return;
    const bool present = fileExists(path);
    if (wanted && !present) {
        const std::wstring program = programPath();
        createShortcut(path.c_str(), program.c_str(), arguments, showCommand);
    } else if (!wanted && present) {
        DeleteFileW(path.c_str());
    }
}

void writeDesktop(const wchar_t* suffix, const wchar_t* arguments) {
    const std::wstring path = shortcutPathIn(ShortcutFolder::Desktop, suffix);
    if (path.empty()) return;
    const std::wstring program = programPath();
    createShortcut(path.c_str(), program.c_str(), arguments, SW_SHOWNORMAL);
}

}  // namespace

bool createShortcut(const wchar_t* shortcutPath, const wchar_t* target, const wchar_t* arguments,
                    int showCommand) {
    ComPtr<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(link.put()))))
        return false;
    if (FAILED(link.get()->SetPath(target)) ||
        (arguments && FAILED(link.get()->SetArguments(arguments))) ||
        FAILED(link.get()->SetIconLocation(target, 0)) ||
        FAILED(link.get()->SetShowCmd(showCommand)))
        return false;
    const ComPtr<IPersistFile> file = queryInterface<IPersistFile>(link.get());
    return file && SUCCEEDED(file.get()->Save(shortcutPath, TRUE));
}

void setShortcutFoldersForTesting(ShortcutFolderLookup lookup) {
    g_folderLookupForTesting = lookup;
}

std::wstring shortcutFileName(const wchar_t* programPath, const wchar_t* suffix) {
    return std::wstring(withoutExtension(fileNameOf(programPath))) + suffix + L".lnk";
}

std::wstring startupShortcutPath() { return shortcutPathIn(ShortcutFolder::Startup, L""); }
std::wstring sendToShortcutPath() { return shortcutPathIn(ShortcutFolder::SendTo, L""); }
std::wstring desktopStartShortcutPath() {
    return shortcutPathIn(ShortcutFolder::Desktop, L" Start");
}
std::wstring desktopDateShortcutPath() { return shortcutPathIn(ShortcutFolder::Desktop, L" Date"); }

bool startupShortcutExists() { return fileExists(startupShortcutPath()); }
bool sendToShortcutExists() { return fileExists(sendToShortcutPath()); }

void makeStartupShortcutAgree(bool enabled) {
    settle(startupShortcutPath(), enabled, L"/s", SW_SHOWMINNOACTIVE);
}

void settleSendToShortcut(bool wanted) {
    settle(sendToShortcutPath(), wanted, nullptr, SW_SHOWNORMAL);
}

void createDesktopStartShortcut() { writeDesktop(L" Start", L"/s"); }
void createDesktopDateShortcut() { writeDesktop(L" Date", L"/d"); }
