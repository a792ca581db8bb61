// The preview pane: the selected entry of the shown list, decoded by the
// same road as a wallpaper and shrunk to fit, with its size below it.
#pragma once

#include <windows.h>

#include <string>

#include "image/loaded_image.h"

inline constexpr wchar_t kPreviewClassName[] = L"Tolvex_prv_class";

struct PreviewImage {
    std::wstring path;  // empty when nothing is previewed
    // The decoded picture's header and palette (a BITMAPINFO with 256
    // colours) and its pixel block, owned here.
    dib::BITMAPINFOHEADER header = {};
    dib::RGBQUAD palette[256] = {};
    uint8_t* bits = nullptr;
};

extern PreviewImage g_preview;

bool registerPreviewClass(HINSTANCE instance);

// Previews the caret entry of the shown list; an entry already shown is not
// decoded again.
void previewEntry();
void clearPreview();
// The closing sequence frees the pixel block first of all.
void releasePreview();
// "壁紙に設定" / double-click: the previewed file becomes the wallpaper.
void setPreviewAsWallpaper();

// Draws the pane's content (used by WM_PAINT and WM_PRINTCLIENT).
void paintPreview(HDC dc, const RECT& client);
