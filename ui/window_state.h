// How every window and dialog of the program keeps its state: the state is
// a struct that the creator passes in (CreateWindowExW's lpCreateParams,
// DialogBoxParamW's or CreateDialogParamW's parameter) and the window keeps
// in its user data (GWLP_USERDATA, DWLP_USER for dialogs). The procedure asks
// for it first and dispatches to handlers that take it:
//
//   LRESULT CALLBACK proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
//       auto* state = bindWindowState<MyState>(w, msg, lp);
//       if (!state) return DefWindowProcW(w, msg, wp, lp);
//       switch (msg) { case WM_PAINT: return onPaint(*state); ... }
//   }
//
// No window state lives at file scope.
#pragma once

#include <windows.h>

// A window's state: stored on WM_NCCREATE from the creation parameter, read
// back on every later message. Null for the few messages that come before
// WM_NCCREATE (WM_GETMINMAXINFO) and for a window created without state.
template <typename State>
State* bindWindowState(HWND window, UINT msg, LPARAM lp) noexcept {
    if (msg == WM_NCCREATE) {
        auto* state = static_cast<State*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
        return state;
    }
    return reinterpret_cast<State*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

// The state of a window, for code outside its procedure (a parent asking a
// child window for its data).
template <typename State>
State* windowState(HWND window) noexcept {
    return window ? reinterpret_cast<State*>(GetWindowLongPtrW(window, GWLP_USERDATA)) : nullptr;
}

// A dialog's state: stored on WM_INITDIALOG from the dialog parameter, read
// back on every later message; null before WM_INITDIALOG (WM_SETFONT).
template <typename State>
State* bindDialogState(HWND dialog, UINT msg, LPARAM lp) noexcept {
    if (msg == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, lp);
        return reinterpret_cast<State*>(lp);
    }
    return reinterpret_cast<State*>(GetWindowLongPtrW(dialog, DWLP_USER));
}
