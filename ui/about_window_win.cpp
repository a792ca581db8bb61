#include <windows.h>

#include <cwchar>

#include "base/app_heap.h"
#include "base/owners_win.h"
#include "base/path.h"
#include "res/control_ids.h"
#include "res/version.h"
#include "ui/about_window.h"
#include "ui/about_window_parts.h"
#include "ui/help_win.h"
#include "ui/ui_resources.h"
#include "ui/window_state.h"

namespace {

constexpr wchar_t kParentClass[] = L"ver_parent_class";
constexpr wchar_t kChildClass[] = L"ver_child_class";
constexpr wchar_t kProgramLine[] = L"Tolvex  version " TOLVEX_VERSION_WIDE;
constexpr wchar_t kMakerLine[] = L"作者  Tolvex 開発チーム";
// The libraries built into the program, with what their licences ask to be
// said where only the program is given out; the full notices are in the help.
constexpr wchar_t kLibrariesText[] =
    L"libjpeg-turbo (BSD/IJG)、zlib (zlib)、libwebp (BSD)、dav1d (BSD) を使用しています。"
    L"ライセンスはヘルプを参照してください。\n"
    L"This software is based in part on the work of the Independent JPEG Group.";
// Room the libraries' text takes below the OK button.
constexpr int kLibrariesHeight = 104;

// Everything the open About window needs: allocated when it opens, owned by
// the window from its first message on and freed when it is destroyed.
struct AboutState {
    HWND window;
    HINSTANCE instance;
    HWND owner;
    wchar_t programLine[64];
    wchar_t makerLine[64];
    wchar_t helpFile[MAX_PATH];  // what the link opens; empty for nothing
    wchar_t link[MAX_PATH + 16];
    int linkLength;
    WNDPROC okPrevious;
};

void unregisterClasses(HINSTANCE instance) {
    UnregisterClassW(kParentClass, instance);
    UnregisterClassW(kChildClass, instance);
}

// Both window classes, registered for as long as the window is open: the
// registration is undone on destruction unless the window took it over.
class ClassRegistration {
public:
    ClassRegistration(HINSTANCE instance, WNDPROC parentProc, WNDPROC linkProc) noexcept
        : instance_(instance) {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof wc;
        wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
        wc.lpfnWndProc = parentProc;
        wc.hInstance = instance;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = kParentClass;
        if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return;
        wc.lpfnWndProc = linkProc;
        wc.hCursor = LoadCursorW(nullptr, IDC_HAND);
        wc.lpszClassName = kChildClass;
        if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return;
        registered_ = true;
    }
    ~ClassRegistration() {
        if (instance_) unregisterClasses(instance_);
    }
    ClassRegistration(const ClassRegistration&) = delete;
    ClassRegistration& operator=(const ClassRegistration&) = delete;

    bool registered() const noexcept { return registered_; }
    // The open window unregisters them when it closes.
    void handOver() noexcept { instance_ = nullptr; }

private:
    HINSTANCE instance_;
    bool registered_ = false;
};

void showHelpFile(const wchar_t* helpFile) {
    if (helpFile[0]) callHelpViewer(nullptr, helpFile, kHelpDisplayTopic, 0);
}

// Closing: the OK button gets its own procedure back, the owner its input
// and the foreground; destroying the window frees the state, after which the
// classes can go.
void closeAbout(AboutState& about) {
    HWND ok = GetDlgItem(about.window, kIdAboutOk);
    if (ok && about.okPrevious)
        SetWindowLongPtrW(ok, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(about.okPrevious));
    about.okPrevious = nullptr;
    const HINSTANCE instance = about.instance;
    if (about.owner) {
        EnableWindow(about.owner, TRUE);
        SetForegroundWindow(about.owner);
    }
    DestroyWindow(about.window);  // `about` is gone after this
    unregisterClasses(instance);
}

// The OK button, subclassed: Enter and Escape close the window. Its state is
// its parent's.
LRESULT CALLBACK okButtonProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    AboutState* about = windowState<AboutState>(GetParent(hwnd));
    if (msg == WM_KEYDOWN && (wp == VK_RETURN || wp == VK_ESCAPE) && about) {
        closeAbout(*about);
        return 0;
    }
    if (msg == WM_GETDLGCODE) return DLGC_WANTALLKEYS;
    WNDPROC previous = about ? about->okPrevious : nullptr;
    if (!previous) return DefWindowProcW(hwnd, msg, wp, lp);
    return CallWindowProcW(previous, hwnd, msg, wp, lp);
}

void paintLink(const AboutState& about, HDC dc) {
    SelectGuard font(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, 0xFF0000);
    TextOutW(dc, 1, 1, about.link, about.linkLength);
}

// The link child: shares the About window's state, given at its creation.
LRESULT CALLBACK linkProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    const auto* about = bindWindowState<AboutState>(hwnd, msg, lp);
    if (!about) return DefWindowProcW(hwnd, msg, wp, lp);
    switch (msg) {
        case WM_PAINT: {
            PaintDc paint(hwnd);
            if (paint.get()) paintLink(*about, paint.get());
            return 0;
        }
        case WM_LBUTTONDOWN:
            showHelpFile(about->helpFile);
            return 0;
        default:
            return DefWindowProcW(hwnd, msg, wp, lp);
    }
}

HWND makeChild(AboutState& about, const wchar_t* cls, const wchar_t* text, DWORD style, int id,
               int x, int y, int w, int h) {
    const bool link = cls == kChildClass;
    HWND child = CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h,
                                 about.window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 about.instance, link ? &about : nullptr);
    if (child && g_uiFont && !link)
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(g_uiFont), FALSE);
    return child;
}

void onCreate(AboutState& about) {
    if (HMENU menu = GetSystemMenu(about.window, FALSE)) {
        DeleteMenu(menu, SC_RESTORE, MF_BYCOMMAND);
        DeleteMenu(menu, SC_SIZE, MF_BYCOMMAND);
        DeleteMenu(menu, SC_MINIMIZE, MF_BYCOMMAND);
        DeleteMenu(menu, SC_MAXIMIZE, MF_BYCOMMAND);
    }
    makeChild(about, L"STATIC", about.programLine, 0, kIdAboutProgram, 10, 10, 160, 12);
    makeChild(about, L"STATIC", about.makerLine, 0, kIdAboutMaker, 28, 30, 195, 12);
    makeChild(about, kChildClass, L"", 0, kIdAboutLink, 45, 51, 120, 14);
    makeChild(about, L"STATIC", kLibrariesText, 0, kIdAboutLibraries, 10, 104, 215,
              kLibrariesHeight - 8);
    HWND ok =
        makeChild(about, L"BUTTON", L"OK", BS_PUSHBUTTON | WS_TABSTOP, kIdAboutOk, 139, 75, 88, 21);
    if (ok) {
        about.okPrevious = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(ok, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(okButtonProc)));
        SetFocus(ok);
    }
}

// The window's state, adopted on WM_NCCREATE from the opener's owner (passed
// as the creation parameter), so that exactly one of them frees it whatever
// becomes of the creation.
AboutState* adoptAboutState(HWND hwnd, UINT msg, LPARAM lp) {
    if (msg != WM_NCCREATE) return windowState<AboutState>(hwnd);
    auto* opener =
        static_cast<HeapPtr<AboutState>*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    AboutState* about = opener->release();
    about->window = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(about));
    return about;
}

LRESULT CALLBACK aboutProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    AboutState* about = adoptAboutState(hwnd, msg, lp);
    if (!about) return DefWindowProcW(hwnd, msg, wp, lp);
    switch (msg) {
        case WM_CREATE:
            onCreate(*about);
            return 0;
        case WM_COMMAND:
            if (LOWORD(wp) == kIdAboutOk || LOWORD(wp) == IDCANCEL || LOWORD(wp) == IDOK)
                closeAbout(*about);
            return 0;
        case WM_KEYDOWN:
            if (wp == VK_RETURN || wp == VK_ESCAPE) {
                closeAbout(*about);
                return 0;
            }
            break;
        case WM_CLOSE:
            closeAbout(*about);
            return 0;
        case WM_NCDESTROY: {
            const HeapPtr<AboutState> owned{about};  // freed on leaving
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            break;
        }
        default:
            break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

bool isAboutWindow(HWND hwnd) {
    wchar_t cls[32] = {};
    GetClassNameW(hwnd, cls, 32);
    return wcscmp(cls, kParentClass) == 0;
}

BOOL CALLBACK matchAbout(HWND hwnd, LPARAM found) {
    if (!isAboutWindow(hwnd)) return TRUE;
    *reinterpret_cast<HWND*>(found) = hwnd;
    return FALSE;
}

std::wstring programHelpFile() {
    wchar_t program[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameW(nullptr, program, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return {};
    return helpFilePath(program);
}

}  // namespace

bool openAboutWindowFor(HWND owner, const std::wstring& helpFile) {
    if (aboutWindow()) return true;  // already open (its owner is disabled meanwhile)
    HeapPtr<AboutState> about{static_cast<AboutState*>(heapAlloc(sizeof(AboutState)))};
    if (!about) return false;
    AboutState& s = *about.get();
    s = AboutState{};
    s.instance = g_instance;
    s.owner = owner;
    wcscpy(s.programLine, kProgramLine);
    wcscpy(s.makerLine, kMakerLine);
    if (helpFile.size() < MAX_PATH) wcscpy(s.helpFile, helpFile.c_str());
    const std::wstring link = helpLinkText(s.helpFile);
    wcsncpy(s.link, link.c_str(), MAX_PATH + 15);
    s.linkLength = static_cast<int>(wcslen(s.link));

    ClassRegistration classes(g_instance, aboutProc, linkProc);
    if (!classes.registered()) return true;  // nothing to report: only a failed allocation is
    const int f = 2 * GetSystemMetrics(SM_CYDLGFRAME);
    const int width = 235 + f;
    const int height = 104 + kLibrariesHeight + f + GetSystemMetrics(SM_CYCAPTION);
    RECT rc = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (owner) GetWindowRect(owner, &rc);
    const int left = (rc.left + rc.right - width) >> 1;
    const int top = (rc.top + rc.bottom - height) >> 1;

    if (owner) EnableWindow(owner, FALSE);
    HWND window = CreateWindowExW(WS_EX_DLGMODALFRAME, kParentClass, L"バージョン情報",
                                  WS_VISIBLE | WS_CLIPCHILDREN | WS_SYSMENU, left, top, width,
                                  height, owner, nullptr, g_instance, &about);
    if (!window) {
        if (owner) EnableWindow(owner, TRUE);
        return true;
    }
    classes.handOver();
    return true;
}

bool openAboutWindow(HWND owner) { return openAboutWindowFor(owner, programHelpFile()); }

HWND aboutWindow() {
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), matchAbout, reinterpret_cast<LPARAM>(&found));
    return found;
}

std::wstring aboutLinkText(HWND about) {
    const AboutState* state = isAboutWindow(about) ? windowState<AboutState>(about) : nullptr;
    return state ? std::wstring(state->link, static_cast<size_t>(state->linkLength))
                 : std::wstring();
}

std::wstring helpFilePath(const wchar_t* programPath) {
    std::wstring path(withoutExtension(programPath));
    path += L".chm";
    if (path.size() >= MAX_PATH) return {};
    return path;
}

std::wstring helpLinkText(const std::wstring& helpFile) {
    if (helpFile.empty()) return L"ヘルプ";
    return L"ヘルプ (" + std::wstring(fileNameOf(helpFile)) + L")";
}

void openHelpFile(HWND) {
    const std::wstring help = programHelpFile();
    showHelpFile(help.c_str());
}
