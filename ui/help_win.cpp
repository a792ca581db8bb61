#include "ui/help_win.h"

namespace {

// The viewer that callHelpViewer reaches: the innermost HelpViewer alive.
HelpViewer* g_processViewer = nullptr;

UniqueLibrary loadFromRegistry() {
    UniqueRegKey key;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT,
                      L"CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32", 0,
                      KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS)
        return {};
    wchar_t value[MAX_PATH + 1] = {};
    DWORD type = 0, size = MAX_PATH * sizeof(wchar_t);  // at most 260 bytes' worth of path
    const LONG r =
        RegQueryValueExW(key.get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
    if (r != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return {};
    value[MAX_PATH] = L'\0';
    if (type == REG_EXPAND_SZ) {
        wchar_t expanded[MAX_PATH];
        const DWORD n = ExpandEnvironmentStringsW(value, expanded, MAX_PATH);
        if (n == 0 || n > MAX_PATH) return {};
        return UniqueLibrary(LoadLibraryW(expanded));
    }
    return UniqueLibrary(LoadLibraryW(value));
}

}  // namespace

HelpViewer::HelpViewer() noexcept : outer_(g_processViewer) {
    g_processViewer = this;
    call(nullptr, nullptr, kHelpInitialize, reinterpret_cast<DWORD_PTR>(&cookie_));
}

HelpViewer::~HelpViewer() {
    call(nullptr, nullptr, kHelpUninitialize, cookie_);
    if (g_processViewer == this) g_processViewer = outer_;
}

HelpViewer::Entry HelpViewer::entry() noexcept {
    if (failed_) return nullptr;
    if (!library_) {
        library_ = loadFromRegistry();
        if (!library_) library_.reset(LoadLibraryW(L"hhctrl.ocx"));
        if (!library_) {
            failed_ = true;
            return nullptr;
        }
    }
    if (!entry_) {
        entry_ = reinterpret_cast<Entry>(
            reinterpret_cast<void*>(GetProcAddress(library_.get(), MAKEINTRESOURCEA(15))));
        if (!entry_) failed_ = true;
    }
    return entry_;
}

HWND HelpViewer::call(HWND owner, const wchar_t* file, UINT command, DWORD_PTR data) noexcept {
    const Entry viewer = entry();
    return viewer ? viewer(owner, file, command, data) : nullptr;
}

HWND callHelpViewer(HWND owner, const wchar_t* file, UINT command, DWORD_PTR data) {
    return g_processViewer ? g_processViewer->call(owner, file, command, data) : nullptr;
}
