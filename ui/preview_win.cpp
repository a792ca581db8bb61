#include <windows.h>
// (before every other system header, which all build on it)
#include <shellapi.h>

#include <cstring>
#include <utility>

#include "app/change_cycle.h"
#include "base/owners_win.h"
#include "decode/decoders.h"
#include "ui/main_window.h"
#include "ui/preview.h"
#include "ui/preview_fit.h"
#include "ui/ui_resources.h"
#include "ui/window_state.h"

namespace {

static_assert(sizeof(dib::BITMAPINFOHEADER) + sizeof(dib::RGBQUAD) * 256 == 1064);

void repaintNow(const MainWindow& w) {
    HWND pane = w.previewPane;
    if (!pane) return;
    InvalidateRect(pane, nullptr, FALSE);
    UpdateWindow(pane);
}

void writeSizeText(const MainWindow& w) {
    wchar_t text[32] = {};
    if (w.preview.picture)
        wsprintfW(text, L"%d x %d", static_cast<int>(w.preview.picture.header().biWidth),
                  static_cast<int>(w.preview.picture.header().biHeight));
    if (w.sizeText) SetWindowTextW(w.sizeText, text);
}

void fillRect(HDC dc, const PreviewRect& r, HBRUSH brush) {
    if (r.width <= 0 || r.height <= 0) return;
    const RECT rect = {r.x, r.y, r.x + r.width, r.y + r.height};
    FillRect(dc, &rect, brush);
}

// A press of the left button; the pane's class reports the second press of
// a double click as WM_LBUTTONDBLCLK, which opens nothing more.
void onLeftButtonDown(const PreviewImage& preview) {
    if (preview.path.empty()) return;
    std::wstring target = preview.path;
    if (target.find(L' ') != std::wstring::npos) target = L"\"" + target + L"\"";
    if (!preview.openFile(target.c_str()))
        showErrorMessage(nullptr, L"ファイル実行に失敗しました。");
}

void onPaint(const PreviewImage& preview, HWND pane) {
    const PaintDc dc(pane);
    RECT client;
    GetClientRect(pane, &client);
    paintPreview(preview, dc.get(), client);
}

LRESULT CALLBACK previewProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    const PreviewImage* preview = bindWindowState<PreviewImage>(hwnd, msg, lp);
    if (!preview) return DefWindowProcW(hwnd, msg, wp, lp);
    switch (msg) {
        case WM_PAINT:
            onPaint(*preview, hwnd);
            return 0;
        case WM_PRINTCLIENT: {
            RECT client;
            GetClientRect(hwnd, &client);
            paintPreview(*preview, reinterpret_cast<HDC>(wp), client);
            return 0;
        }
        case WM_LBUTTONDOWN:
            onLeftButtonDown(*preview);
            return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

bool openWithAssociatedProgram(const wchar_t* target) {
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_FLAG_NO_UI;
    info.lpFile = target;
    info.nShow = SW_SHOW;
    return ShellExecuteExW(&info) != FALSE;
}

bool registerPreviewClass(HINSTANCE instance) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.style = kWindowClassStyle;
    wc.lpfnWndProc = previewProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_HAND);
    wc.lpszClassName = kPreviewClassName;
    return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

void paintPreview(const PreviewImage& preview, HDC dc, const RECT& client) {
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
    const int w = preview.picture.header().biWidth;
    const int h = preview.picture.header().biHeight;
    if (!preview.picture || w <= 0 || h <= 0) {
        FillRect(dc, &client, face);
        return;
    }
    const PreviewRect drawn = fitPreview(width, height, w, h);
    const PreviewMargins margins = previewMargins(width, height, drawn);
    // Only the strips around the picture are filled, so it does not flicker.
    for (const PreviewRect* strip : {&margins.left, &margins.right, &margins.top, &margins.bottom})
        fillRect(dc, *strip, face);
    const int oldMode = SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    StretchDIBits(
        dc, drawn.x, drawn.y, drawn.width, drawn.height, 0, 0, w, h, preview.picture.bits(),
        reinterpret_cast<const BITMAPINFO*>(&preview.picture.record()), DIB_RGB_COLORS, SRCCOPY);
    SetStretchBltMode(dc, oldMode);
}

void previewEntry(MainWindow& w) {
    const int list = g_settings.shownList;
    HWND box = shownListBox(w);
    if (!box) return;
    const LRESULT caret = SendMessageW(box, LB_GETCARETINDEX, 0, 0);
    const LRESULT count = SendMessageW(box, LB_GETCOUNT, 0, 0);
    if (caret < 0 || caret >= count) return;
    const int index = static_cast<int>(caret);
    g_settings.lists[list].selectedIndex = index;
    if (SendMessageW(box, LB_GETSEL, index, 0) <= 0) {
        SendMessageW(box, LB_SETSEL, FALSE, -1);
        SendMessageW(box, LB_SETSEL, TRUE, index);
    }
    const LRESULT length = SendMessageW(box, LB_GETTEXTLEN, index, 0);
    if (length <= 0) return;
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT got = SendMessageW(box, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    widenListExtent(w, list, text.c_str());
    PreviewImage& preview = w.preview;
    if (text == preview.path) return;  // already shown: no second decode
    clearPreview(w);
    if (!loadImageFile(text.c_str(), g_settings.SPI.c_str())) return;
    preview.picture = takeCurrentImage();
    preview.path = text;
    writeSizeText(w);
    repaintNow(w);
}

void clearPreview(MainWindow& w) {
    releasePreview(w.preview);
    repaintNow(w);
    writeSizeText(w);
}

void releasePreview(PreviewImage& preview) {
    preview.picture = OwnedImage();
    preview.path.clear();
}

void setPreviewAsWallpaper(MainWindow& w) {
    if (w.preview.path.empty()) return;
    HWND box = shownListBox(w);
    const LRESULT caret = box ? SendMessageW(box, LB_GETCARETINDEX, 0, 0) : -1;
    const int position =
        caret >= 0 ? static_cast<int>(caret) : g_settings.lists[g_settings.shownList].selectedIndex;
    // A copy: making the wallpaper may run dialogs that preview again.
    const std::wstring path = w.preview.path;
    setShownAsWallpaper(path.c_str(), position);
}
