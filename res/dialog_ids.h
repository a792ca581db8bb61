// Template identifiers of the dialogs opened from the main window.
#pragma once

#define IDD_CALENDAR 2100
#define IDD_SMALL_IMAGE 2200
#define IDD_LARGE_IMAGE 2300
#define IDD_OPTIONS 2400
