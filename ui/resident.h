// Resident mode: instead of ending, a run stays as one process with an icon
// in the notification area. It redraws the calendar when the local date
// turns (midnight, a resume, an unlock or logon, a change of clock, zone or
// display), changes the picture every Interval minutes and on its hotkey,
// opens the main window in the same process, and takes over what a second
// start asks for. Its hidden window is of the main class, so that the
// single-instance rule finds it, and has its own title.
#pragma once

#include <windows.h>

#include <memory>

#include "app/command_line.h"

inline constexpr wchar_t kResidentTitle[] = L"Tolvex_resident";

// Messages the system sends to the resident window that tests send too.
inline constexpr UINT kResidentIconMessage = WM_APP + 0x51;  // the icon's mouse events

// A second start's request handed to a resident process (WM_COPYDATA with
// the run kind and the argument, a picture's path made absolute). True when
// a resident process took it; false when there is none.
bool handOverToResident(RunKind kind, const wchar_t* argument);

struct ResidentState;

// The resident process for the life of the message loop.
class Resident {
public:
    Resident();
    ~Resident();
    Resident(const Resident&) = delete;
    Resident& operator=(const Resident&) = delete;

    // Makes the hidden window and the icon, does what the start asked for
    // (`kind` with `argument`; the main window shown as `showCommand`) and
    // arms the timer. False when the window could not be made.
    bool start(RunKind kind, const wchar_t* argument, int showCommand);

private:
    std::unique_ptr<ResidentState> state_;
};
