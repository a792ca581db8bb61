// The calendar settings dialog (IDD_CALENDAR), modal, owned by the main window.
#pragma once

#include <windows.h>

void openCalendarDialog(HWND owner);
