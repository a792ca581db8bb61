#include "shell_links.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "harness.h"
#include "ui/shortcuts.h"

namespace uitest {

namespace {
harness::TempFolder* g_root = nullptr;

std::wstring subfolder(ShortcutFolder folder) {
    if (!g_root) return {};
    switch (folder) {
        case ShortcutFolder::Startup:
            return g_root->file(L"Startup");
        case ShortcutFolder::SendTo:
            return g_root->file(L"SendTo");
        case ShortcutFolder::Desktop:
            return g_root->file(L"Desktop");
    }
    return {};
}
}  // namespace

LinkInfo readShortcut(const std::wstring& path) {
    LinkInfo info;
    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link))))
        return info;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        if (SUCCEEDED(file->Load(path.c_str(), STGM_READ))) {
            info.loaded = true;
            wchar_t buffer[MAX_PATH] = {};
            if (SUCCEEDED(link->GetPath(buffer, MAX_PATH, nullptr, SLGP_RAWPATH)))
                info.target = buffer;
            buffer[0] = 0;
            if (SUCCEEDED(link->GetArguments(buffer, MAX_PATH))) info.arguments = buffer;
            buffer[0] = 0;
            int index = -1;
            if (SUCCEEDED(link->GetIconLocation(buffer, MAX_PATH, &index))) {
                info.iconPath = buffer;
                info.iconIndex = index;
            }
            int show = -1;
            if (SUCCEEDED(link->GetShowCmd(&show))) info.showCommand = show;
        }
        file->Release();
    }
    link->Release();
    const std::string bytes = harness::readBytes(path);
    if (bytes.size() >= 0x40) {
        info.storedShowCommand =
            static_cast<unsigned char>(bytes[0x3C]) | static_cast<unsigned char>(bytes[0x3D]) << 8;
    }
    return info;
}

ShortcutFolders::ShortcutFolders() {
    g_root = new harness::TempFolder;
    for (ShortcutFolder f :
         {ShortcutFolder::Startup, ShortcutFolder::SendTo, ShortcutFolder::Desktop})
        CreateDirectoryW(subfolder(f).c_str(), nullptr);
    setShortcutFoldersForTesting(subfolder);
}

ShortcutFolders::~ShortcutFolders() {
    setShortcutFoldersForTesting(nullptr);
    delete g_root;
    g_root = nullptr;
}

std::wstring ShortcutFolders::startup() const { return subfolder(ShortcutFolder::Startup); }
std::wstring ShortcutFolders::sendTo() const { return subfolder(ShortcutFolder::SendTo); }
std::wstring ShortcutFolders::desktop() const { return subfolder(ShortcutFolder::Desktop); }

int fileCount(const std::wstring& folder) {
    int n = 0;
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return 0;
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++n;
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    return n;
}

std::wstring ownPath() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

std::wstring ownBaseName() {
    std::wstring name = ownPath();
    name.erase(0, name.find_last_of(L"\\/") + 1);
    return name.substr(0, name.rfind(L'.'));
}

}  // namespace uitest
