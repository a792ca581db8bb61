#include <windows.h>
// (before every other system header, which all build on it)
#include <shellapi.h>

#include <cstring>

#include "app/change_cycle.h"
#include "base/page_alloc.h"
#include "decode/decoders.h"
#include "ui/main_window.h"
#include "ui/preview.h"
#include "ui/preview_fit.h"
#include "ui/ui_resources.h"

PreviewImage g_preview;

namespace {

static_assert(sizeof(dib::BITMAPINFOHEADER) + sizeof(dib::RGBQUAD) * 256 == 1064);

void repaintNow() {
    HWND pane = g_mainWindow.preview;
    if (!pane) return;
    InvalidateRect(pane, nullptr, FALSE);
    UpdateWindow(pane);
}

void writeSizeText() {
    wchar_t text[32] = {};
    if (g_preview.bits)
        wsprintfW(text, L"%d x %d", static_cast<int>(g_preview.header.biWidth),
                  static_cast<int>(g_preview.header.biHeight));
    if (g_mainWindow.sizeText) SetWindowTextW(g_mainWindow.sizeText, text);
}

void fillRect(HDC dc, const PreviewRect& r, HBRUSH brush) {
    if (r.width <= 0 || r.height <= 0) return;
    const RECT rect = {r.x, r.y, r.x + r.width, r.y + r.height};
    FillRect(dc, &rect, brush);
}

void openPreviewedFile() {
    if (g_preview.path.empty()) return;
    std::wstring target = g_preview.path;
    if (target.find(L' ') != std::wstring::npos) target = L"\"" + target + L"\"";
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_FLAG_NO_UI;
    info.lpFile = target.c_str();
    info.nShow = SW_SHOW;
    if (!ShellExecuteExW(&info)) showErrorMessage(nullptr, L"ファイル実行に失敗しました。");
}

LRESULT CALLBACK previewProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            RECT client;
            GetClientRect(hwnd, &client);
            paintPreview(dc, client);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_PRINTCLIENT: {
            RECT client;
            GetClientRect(hwnd, &client);
            paintPreview(reinterpret_cast<HDC>(wp), client);
            return 0;
        }
        case WM_LBUTTONDOWN:
            openPreviewedFile();
            return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

bool registerPreviewClass(HINSTANCE instance) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = previewProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_HAND);
    wc.lpszClassName = kPreviewClassName;
    return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

void paintPreview(HDC dc, const RECT& client) {
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
    const int w = g_preview.header.biWidth;
    const int h = g_preview.header.biHeight;
    if (!g_preview.bits || w <= 0 || h <= 0) {
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
    StretchDIBits(dc, drawn.x, drawn.y, drawn.width, drawn.height, 0, 0, w, h, g_preview.bits,
                  reinterpret_cast<const BITMAPINFO*>(&g_preview.header), DIB_RGB_COLORS, SRCCOPY);
    SetStretchBltMode(dc, oldMode);
}

void previewEntry() {
    const int list = g_settings.shownList;
    HWND box = shownListBox();
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
    widenListExtent(list, text.c_str());
    if (text == g_preview.path) return;  // already shown: no second decode
    clearPreview();
    if (!loadImageFile(text.c_str(), g_settings.SPI.c_str())) return;
    std::memcpy(&g_preview.header, &CurrentImage.header, sizeof g_preview.header);
    std::memcpy(g_preview.palette, CurrentImage.palette, sizeof g_preview.palette);
    g_preview.bits = CurrentImage.bits;
    CurrentImage.bits = nullptr;
    g_preview.path = text;
    writeSizeText();
    repaintNow();
}

void clearPreview() {
    releasePreview();
    repaintNow();
    writeSizeText();
}

void releasePreview() {
    if (g_preview.bits) pageFree(g_preview.bits);
    g_preview.bits = nullptr;
    g_preview.path.clear();
}

void setPreviewAsWallpaper() {
    if (g_preview.path.empty()) return;
    HWND box = shownListBox();
    const LRESULT caret = box ? SendMessageW(box, LB_GETCARETINDEX, 0, 0) : -1;
    const int position =
        caret >= 0 ? static_cast<int>(caret) : g_settings.lists[g_settings.shownList].selectedIndex;
    // A copy: making the wallpaper may run dialogs that preview again.
    const std::wstring path = g_preview.path;
    setShownAsWallpaper(path.c_str(), position);
}
