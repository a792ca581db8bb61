// The options dialog (2400), modal, owned by the main window.
#pragma once

#include <windows.h>

void openOptionsDialog(HWND owner);
