// Colour swatches (small child windows that show one colour) and the colour
// picker shared by the calendar and options dialogs.
#pragma once

#include <windows.h>

#include "settings/settings.h"

// Registers the seven calendar swatch classes and the margin-colour class
// (already registered is fine). Returns false when one cannot be had.
bool registerSwatchClasses(HINSTANCE instance);

// The calendar swatches paint from this record (the calendar dialog's
// working copy) while it is set; without one they paint the live settings.
void setCalendarSwatchSource(const CalendarStyle* style);

// The system colour dialog, fully open, started on *color and using the
// live sixteen custom colours. On confirmation the chosen red, green and
// blue replace those of *color and the result is true.
bool pickColor(HWND owner, ColorRef* color);
