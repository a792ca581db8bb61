#include "ui_driver.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <objbase.h>

#include <vector>

#include "base/app_heap.h"
#include "ui/ui_resources.h"

namespace uitest {

namespace {

// An action waiting for its window. A window that has not shown up by the
// deadline fails the test: every dialog of this thread is cancelled so the
// modal loop that waits for it ends, and the action is dropped.
struct Pending {
    std::function<HWND()> find;
    std::function<void(HWND)> act;
    DWORD deadline;
    unsigned serial;  // order of queuing
};

constexpr DWORD kShowTimeoutMs = 15000;

std::vector<Pending> g_pending;
unsigned g_lastSerial = 0;
UINT_PTR g_timer = 0;

void stopPollingWhenIdle() {
    if (g_pending.empty() && g_timer) {
        KillTimer(nullptr, g_timer);
        g_timer = 0;
    }
}

BOOL CALLBACK cancelDialog(HWND hwnd, LPARAM) {
    wchar_t cls[16] = {};
    GetClassNameW(hwnd, cls, 16);
    if (IsWindowVisible(hwnd) && std::wstring(cls) == L"#32770")
        PostMessageW(hwnd, WM_COMMAND, IDCANCEL, 0);
    return TRUE;
}

void CALLBACK pollPending(HWND, UINT, UINT_PTR, DWORD) {
    for (size_t i = 0; i < g_pending.size(); ++i) {
        HWND found = g_pending[i].find();
        if (!found) {
            if (static_cast<LONG>(GetTickCount() - g_pending[i].deadline) < 0) continue;
            g_pending.erase(g_pending.begin() + static_cast<std::ptrdiff_t>(i));
            stopPollingWhenIdle();
            ADD_FAILURE() << "the window a test waited for did not appear within "
                          << kShowTimeoutMs / 1000 << " s";
            EnumThreadWindows(GetCurrentThreadId(), cancelDialog, 0);
            return;
        }
        std::function<void(HWND)> act = std::move(g_pending[i].act);
        g_pending.erase(g_pending.begin() + static_cast<std::ptrdiff_t>(i));
        stopPollingWhenIdle();
        act(found);
        return;
    }
}

LRESULT CALLBACK ownerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    return DefWindowProcW(hwnd, msg, wp, lp);
}

struct FindThreadWindow {
    const wchar_t* caption;
    HWND owner;
    HWND found;
};

BOOL CALLBACK matchWindow(HWND hwnd, LPARAM param) {
    FindThreadWindow* f = reinterpret_cast<FindThreadWindow*>(param);
    if (!IsWindowVisible(hwnd)) return TRUE;
    if (f->caption) {
        wchar_t title[256] = {};
        GetWindowTextW(hwnd, title, 256);
        if (std::wstring(title) != f->caption) return TRUE;
    }
    if (f->owner && GetWindow(hwnd, GW_OWNER) != f->owner) return TRUE;
    f->found = hwnd;
    return FALSE;
}

}  // namespace

void setUpUiProcess() {
    static bool done = false;
    if (done) return;
    done = true;
    g_instance = GetModuleHandleW(nullptr);
    (void)createAppHeap();
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    g_uiFont = CreateFontW(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, SHIFTJIS_CHARSET, 0, 0, 0, 0,
                           L"MS UI Gothic");
}

HWND createOwnerWindow() {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = ownerProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"uitest_owner";
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    RegisterClassW(&wc);
    HWND owner = CreateWindowExW(0, L"uitest_owner", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                 100, 100, 640, 480, nullptr, nullptr, wc.hInstance, nullptr);
    return owner;
}

void whenShown(std::function<HWND()> find, std::function<void(HWND)> act) {
    g_pending.push_back(
        {std::move(find), std::move(act), GetTickCount() + kShowTimeoutMs, ++g_lastSerial});
    if (!g_timer) g_timer = SetTimer(nullptr, 0, 50, pollPending);
}

HWND findDialog(const wchar_t* caption) {
    FindThreadWindow f = {caption, nullptr, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), matchWindow, reinterpret_cast<LPARAM>(&f));
    return f.found;
}

HWND findOwnedBy(HWND owner) {
    FindThreadWindow f = {nullptr, owner, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), matchWindow, reinterpret_cast<LPARAM>(&f));
    return f.found;
}

void runDialog(const wchar_t* caption, const std::function<void()>& open,
               std::function<void(HWND)> drive) {
    std::wstring title = caption;
    const unsigned queuedBefore = g_lastSerial;
    bool shown = false;
    whenShown([title] { return findDialog(title.c_str()); },
              [&shown, drive = std::move(drive)](HWND dlg) {
                  shown = true;
                  drive(dlg);
                  if (IsWindow(dlg)) PostMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
              });
    open();
    // Whatever this run queued and was not shown must not act on a later test.
    const size_t left = std::erase_if(
        g_pending, [queuedBefore](const Pending& p) { return p.serial > queuedBefore; });
    stopPollingWhenIdle();
    if (!shown)
        ADD_FAILURE() << "dialog \"" << title << "\" never appeared";
    else if (left > 0)
        ADD_FAILURE() << left << " awaited window(s) never appeared while the dialog ran";
}

void click(HWND dlg, int id) { SendMessageW(GetDlgItem(dlg, id), BM_CLICK, 0, 0); }

bool isChecked(HWND dlg, int id) { return IsDlgButtonChecked(dlg, id) == BST_CHECKED; }

bool isEnabled(HWND dlg, int id) { return IsWindowEnabled(GetDlgItem(dlg, id)) != FALSE; }

std::wstring text(HWND dlg, int id) {
    wchar_t buffer[512] = {};
    GetDlgItemTextW(dlg, id, buffer, 512);
    return buffer;
}

void setText(HWND dlg, int id, const std::wstring& value) {
    SetDlgItemTextW(dlg, id, value.c_str());
}

std::wstring comboItem(HWND combo, int index) {
    const LRESULT len = SendMessageW(combo, CB_GETLBTEXTLEN, index, 0);
    if (len < 0) return {};
    std::wstring s(static_cast<size_t>(len) + 1, L'\0');
    SendMessageW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(s.data()));
    s.resize(static_cast<size_t>(len));
    return s;
}

int comboCount(HWND combo) { return static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0)); }

void comboSelect(HWND dlg, int id, int index) {
    HWND combo = GetDlgItem(dlg, id);
    SendMessageW(combo, CB_SETCURSEL, index, 0);
    SendMessageW(dlg, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

COLORREF shownColor(HWND window) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    RECT rc;
    GetClientRect(window, &rc);
    HDC dc = GetDC(window);
    const COLORREF c = GetPixel(dc, rc.right / 2, rc.bottom / 2);
    ReleaseDC(window, dc);
    return c;
}

}  // namespace uitest
