// Colour swatches (small child windows that show one colour) and the colour
// picker shared by the calendar and options dialogs.
#pragma once

#include <windows.h>

#include "settings/settings.h"

// The colour a swatch stands for; its window class says which.
enum class SwatchColor {
    YearMonth,
    Weekday,
    Saturday,
    Sunday,
    Holiday,
    TextShadow,
    TodayPen,
    Margin
};

// A swatch asks its dialog what to show at every paint: it sends the dialog
// kSwatchColorQuery with lParam pointing at a SwatchQuery, and the dialog
// fills in the colour from its state and sets `answered`. A swatch whose
// dialog does not answer paints nothing.
inline constexpr UINT kSwatchColorQuery = WM_APP + 0x40;
struct SwatchQuery {
    SwatchColor which;
    ColorRef color = 0;
    bool answered = false;
};

// Registers the seven calendar swatch classes and the margin-colour class
// (already registered is fine). Returns false when one cannot be had.
bool registerSwatchClasses(HINSTANCE instance);

// The system colour dialog, fully open, started on *color and using the
// sixteen custom colours `custom` (which it may change). On confirmation
// the chosen red, green and blue replace those of *color and the result is
// true.
bool pickColor(HWND owner, ColorRef* color, ColorRef (&custom)[16]);
