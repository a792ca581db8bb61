#include <windows.h>
#include <shellapi.h>

#include <cwchar>

#include "base/app_heap.h"
#include "ui/about_window.h"
#include "ui/about_window_parts.h"
#include "ui/help_win.h"
#include "ui/ui_resources.h"

namespace {

constexpr wchar_t kParentClass[] = L"ver_parent_class";
constexpr wchar_t kChildClass[] = L"ver_child_class";
constexpr wchar_t kProgramLine[] = L"Tolvex  version 2.22";
constexpr wchar_t kMakerLine[] = L"作者  Tolvex 開発チーム";
constexpr wchar_t kLinkText[] = L"https://example.org/";

enum : int { kLinkId = 100, kOkId = 101, kProgramId = 102, kMakerId = 103 };

// Everything the open About window needs, allocated when it opens and freed
// when it is destroyed.
struct AboutState {
    HWND window;
    HINSTANCE instance;
    HWND owner;
    wchar_t programLine[64];
    wchar_t makerLine[64];
    wchar_t link[128];
    int linkLength;
    WNDPROC okPrevious;
};

AboutState* g_about = nullptr;

void unregisterClasses(HINSTANCE instance) {
    UnregisterClassW(kParentClass, instance);
    UnregisterClassW(kChildClass, instance);
}

// Closing: the OK button gets its own procedure back, the owner its input
// and the foreground; destroying the window frees the state, after which the
// classes can go.
void closeAbout() {
    AboutState* about = g_about;
    if (!about) return;
    HWND ok = GetDlgItem(about->window, kOkId);
    if (ok && about->okPrevious)
        SetWindowLongPtrW(ok, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(about->okPrevious));
    about->okPrevious = nullptr;
    HINSTANCE instance = about->instance;
    if (about->owner) {
        EnableWindow(about->owner, TRUE);
        SetForegroundWindow(about->owner);
    }
    DestroyWindow(about->window);
    unregisterClasses(instance);
}

LRESULT CALLBACK okButtonProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_KEYDOWN && (wp == VK_RETURN || wp == VK_ESCAPE)) {
        closeAbout();
        return 0;
    }
    if (msg == WM_GETDLGCODE) return DLGC_WANTALLKEYS;
    WNDPROC previous = g_about ? g_about->okPrevious : nullptr;
    if (!previous) return DefWindowProcW(hwnd, msg, wp, lp);
    return CallWindowProcW(previous, hwnd, msg, wp, lp);
}

LRESULT CALLBACK linkProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            if (g_about) {
                HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
                SetBkMode(dc, TRANSPARENT);
                SetTextColor(dc, 0xFF0000);
                TextOutW(dc, 1, 1, g_about->link, g_about->linkLength);
                SelectObject(dc, old);
            }
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_LBUTTONDOWN:
            if (g_about) {
                SHELLEXECUTEINFOW info = {};
                info.cbSize = sizeof info;
                info.fMask = SEE_MASK_FLAG_NO_UI;
                info.hwnd = GetParent(hwnd);
                info.lpFile = g_about->link;
                info.nShow = SW_SHOWNORMAL;
                ShellExecuteExW(&info);
            }
            return 0;
        default:
            return DefWindowProcW(hwnd, msg, wp, lp);
    }
}

HWND makeChild(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int id, int x,
               int y, int w, int h) {
    HWND child = CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 g_about->instance, nullptr);
    if (child && g_uiFont && cls != kChildClass)
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(g_uiFont), FALSE);
    return child;
}

void onCreate(HWND hwnd) {
    g_about->window = hwnd;
    if (HMENU menu = GetSystemMenu(hwnd, FALSE)) {
        DeleteMenu(menu, SC_RESTORE, MF_BYCOMMAND);
        DeleteMenu(menu, SC_SIZE, MF_BYCOMMAND);
        DeleteMenu(menu, SC_MINIMIZE, MF_BYCOMMAND);
        DeleteMenu(menu, SC_MAXIMIZE, MF_BYCOMMAND);
    }
    makeChild(hwnd, L"STATIC", g_about->programLine, 0, kProgramId, 10, 10, 160, 12);
    makeChild(hwnd, L"STATIC", g_about->makerLine, 0, kMakerId, 28, 30, 195, 12);
    makeChild(hwnd, kChildClass, L"", 0, kLinkId, 45, 51, 120, 14);
    HWND ok = makeChild(hwnd, L"BUTTON", L"OK", BS_PUSHBUTTON | WS_TABSTOP, kOkId, 139, 75, 88, 21);
    if (ok) {
        g_about->okPrevious = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(ok, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(okButtonProc)));
        SetFocus(ok);
    }
}

LRESULT CALLBACK aboutProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_CREATE:
            onCreate(hwnd);
            return 0;
        case WM_COMMAND:
            if (LOWORD(wp) == kOkId || LOWORD(wp) == IDCANCEL || LOWORD(wp) == IDOK) closeAbout();
            return 0;
        case WM_KEYDOWN:
            if (wp == VK_RETURN || wp == VK_ESCAPE) {
                closeAbout();
                return 0;
            }
            break;
        case WM_CLOSE:
            closeAbout();
            return 0;
        case WM_NCDESTROY:
            if (g_about) {
                heapFree(g_about);
                g_about = nullptr;
            }
            break;
        default:
            break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

bool registerClasses(HINSTANCE instance) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = aboutProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kParentClass;
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
    wc.lpfnWndProc = linkProc;
    wc.hCursor = LoadCursorW(nullptr, IDC_HAND);
    wc.lpszClassName = kChildClass;
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
    return true;
}

}  // namespace

bool openAboutWindow(HWND owner) {
    if (g_about) return true;  // already open (its owner is disabled meanwhile)
    AboutState* about = static_cast<AboutState*>(heapAlloc(sizeof(AboutState)));
    if (!about) return false;
    *about = AboutState{};
    about->instance = g_instance;
    about->owner = owner;
    wcscpy(about->programLine, kProgramLine);
    wcscpy(about->makerLine, kMakerLine);
    wcscpy(about->link, kLinkText);
    about->linkLength = static_cast<int>(wcslen(kLinkText));
    g_about = about;

    if (!registerClasses(g_instance)) {
        unregisterClasses(g_instance);
        g_about = nullptr;
        heapFree(about);
        return true;  // nothing to report: only a failed allocation is
    }
    const int f = 2 * GetSystemMetrics(SM_CYDLGFRAME);
    const int width = 235 + f;
    const int height = 104 + f + GetSystemMetrics(SM_CYCAPTION);
    RECT rc = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (owner) GetWindowRect(owner, &rc);
    const int left = (rc.left + rc.right - width) >> 1;
    const int top = (rc.top + rc.bottom - height) >> 1;

    if (owner) EnableWindow(owner, FALSE);
    HWND window = CreateWindowExW(WS_EX_DLGMODALFRAME, kParentClass, L"バージョン情報",
                                  WS_VISIBLE | WS_CLIPCHILDREN | WS_SYSMENU, left, top, width,
                                  height, owner, nullptr, g_instance, nullptr);
    if (!window) {
        if (owner) EnableWindow(owner, TRUE);
        if (g_about) {
            heapFree(g_about);
            g_about = nullptr;
        }
        unregisterClasses(g_instance);
    }
    return true;
}

HWND aboutWindow() { return g_about ? g_about->window : nullptr; }

std::wstring helpFilePath(const wchar_t* programPath) {
    std::wstring path = programPath;
    const size_t slash = path.find_last_of(L"\\/");
    const size_t dot = path.rfind(L'.');
    if (dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash)) path.erase(dot);
    path += L".chm";
    if (path.size() >= MAX_PATH) return {};
    return path;
}

void openHelpFile(HWND) {
    wchar_t program[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameW(nullptr, program, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return;
    const std::wstring help = helpFilePath(program);
    if (help.empty()) return;
    callHelpViewer(nullptr, help.c_str(), kHelpDisplayTopic, 0);
}
