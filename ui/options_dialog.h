// The options dialog (IDD_OPTIONS), modal, owned by the main window.
#pragma once

#include <windows.h>

void openOptionsDialog(HWND owner);
