// In-process driving of the program's dialogs: the process-wide resources
// the program sets up at start, modal dialogs run while a timer acts on them
// as a user would (clicking their real controls), and control state reads.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace uitest {

// Instance, UI font, application heap, COM (single-threaded) and common
// controls, as the program has them before its main window opens.
void setUpUiProcess();

// A plain top-level window standing in for the main window as owner.
HWND createOwnerWindow();

// When a window found by `find` shows up (polled from a timer of this
// thread), `act` is called on it once. Pending actions run inside whatever
// modal loop is running, so they can drive nested modal dialogs. A window
// that does not show up within 15 s fails the test, and the dialogs of this
// thread are cancelled so that the test goes on instead of hanging.
void whenShown(std::function<HWND()> find, std::function<void(HWND)> act);

// The visible top-level dialog of this thread with this caption.
HWND findDialog(const wchar_t* caption);
// A visible top-level window of this thread owned by `owner`.
HWND findOwnedBy(HWND owner);

// Runs `open` (a modal dialog call) while `drive` acts on the dialog with
// `caption`. A dialog that `drive` leaves open is cancelled so that a
// faulty test cannot hang. The test fails when the dialog never appears or
// when a window awaited inside the run never did; nothing it queued is left
// to act on a later test.
void runDialog(const wchar_t* caption, const std::function<void()>& open,
               std::function<void(HWND)> drive);

void click(HWND dlg, int id);
bool isChecked(HWND dlg, int id);
bool isEnabled(HWND dlg, int id);
std::wstring text(HWND dlg, int id);
void setText(HWND dlg, int id, const std::wstring& value);

// Every entry of a combo box, in order.
std::wstring comboItem(HWND combo, int index);
int comboCount(HWND combo);
// Selects an entry the way the user does: the selection changes and the
// owner hears of it.
void comboSelect(HWND dlg, int id, int index);

// The colour the window shows at its centre, after painting it.
COLORREF shownColor(HWND window);

}  // namespace uitest
