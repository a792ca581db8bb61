// The preview pane: the selected entry of the shown list, decoded by the
// same road as a wallpaper and shrunk to fit, with its size below it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "image/loaded_image.h"

inline constexpr wchar_t kPreviewClassName[] = L"Tolvex_prv_class";

struct MainWindow;

// Opens a file (quoted when it holds a blank) with the program the system
// associates with it; false when the shell reports failure.
bool openWithAssociatedProgram(const wchar_t* target);

// The pane's record, one per main window; the pane gets it at creation.
struct PreviewImage {
    std::wstring path;   // empty when nothing is previewed
    OwnedImage picture;  // taken over from CurrentImage; empty when nothing is shown
    // How a click opens the previewed file (tests count the calls).
    bool (*openFile)(const wchar_t* target) = openWithAssociatedProgram;
};

bool registerPreviewClass(HINSTANCE instance);

// Previews the caret entry of the shown list; an entry already shown is not
// decoded again.
void previewEntry(MainWindow& w);
void clearPreview(MainWindow& w);
// The closing sequence lets the pixel block go without repainting.
void releasePreview(PreviewImage& preview);
// "壁紙に設定" / double-click: the previewed file becomes the wallpaper.
void setPreviewAsWallpaper(MainWindow& w);

// Draws the pane's content (used by WM_PAINT and WM_PRINTCLIENT).
void paintPreview(const PreviewImage& preview, HDC dc, const RECT& client);
