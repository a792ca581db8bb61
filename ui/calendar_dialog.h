// The calendar settings dialog (2100), modal, owned by the main window.
#pragma once

#include <windows.h>

void openCalendarDialog(HWND owner);
