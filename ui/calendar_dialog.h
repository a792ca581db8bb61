// The calendar settings dialog ("カレンダー設定"): edits a working copy of the
// calendar's appearance; OK puts the copy in place, Cancel throws it away.
#pragma once

#include <windows.h>

// Modal over `owner`; returns IDOK (1) or IDCANCEL (2), or 0 / -1 when the
// dialog could not be created.
INT_PTR openCalendarDialog(HWND owner);
