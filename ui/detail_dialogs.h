// The placement detail dialogs: small images (IDD_SMALL_IMAGE) and large
// images (IDD_LARGE_IMAGE), modal, owned by the main window.
#pragma once

#include <windows.h>

void openSmallImageDialog(HWND owner);
void openLargeImageDialog(HWND owner);
