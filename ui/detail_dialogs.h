// The placement detail dialogs: small images (2200) and large images (2300),
// modal, owned by the main window.
#pragma once

#include <windows.h>

void openSmallImageDialog(HWND owner);
void openLargeImageDialog(HWND owner);
