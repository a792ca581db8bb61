#include "ui/help_win.h"

namespace {
using HtmlHelpW = HWND(WINAPI*)(HWND, LPCWSTR, UINT, DWORD_PTR);

HMODULE g_library = nullptr;
HtmlHelpW g_entry = nullptr;
bool g_failed = false;

HMODULE loadFromRegistry() {
    HKEY key;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT,
                      L"CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32", 0,
                      KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return nullptr;
    wchar_t value[MAX_PATH + 1] = {};
    DWORD type = 0, size = MAX_PATH * sizeof(wchar_t);  // at most 260 bytes' worth of path
    LONG r = RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(key);
    if (r != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return nullptr;
    value[MAX_PATH] = L'\0';
    if (type == REG_EXPAND_SZ) {
        wchar_t expanded[MAX_PATH];
        DWORD n = ExpandEnvironmentStringsW(value, expanded, MAX_PATH);
        if (n == 0 || n > MAX_PATH) return nullptr;
        return LoadLibraryW(expanded);
    }
    return LoadLibraryW(value);
}
}  // namespace

HWND callHelpViewer(HWND owner, const wchar_t* file, UINT command, DWORD_PTR data) {
    if (g_failed) return nullptr;
    if (!g_library) {
        g_library = loadFromRegistry();
        if (!g_library) g_library = LoadLibraryW(L"hhctrl.ocx");
        if (!g_library) {
            g_failed = true;
            return nullptr;
        }
    }
    if (!g_entry) {
        g_entry = reinterpret_cast<HtmlHelpW>(
            reinterpret_cast<void*>(GetProcAddress(g_library, MAKEINTRESOURCEA(15))));
        if (!g_entry) {
            g_failed = true;
            return nullptr;
        }
    }
    return g_entry(owner, file, command, data);
}

void initializeHelp(DWORD_PTR* cookie) {
    callHelpViewer(nullptr, nullptr, kHelpInitialize, reinterpret_cast<DWORD_PTR>(cookie));
}

void uninitializeHelp(DWORD_PTR cookie) {
    callHelpViewer(nullptr, nullptr, kHelpUninitialize, cookie);
}
