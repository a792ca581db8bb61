#include <cstdint>

#include "res/control_ids.h"
#include "settings/settings.h"
#include "ui/detail_dialogs.h"
#include "ui/ui_resources.h"
#include "ui/window_state.h"

namespace {

// The dialog's state: the two placement flags it edits (keep the aspect
// ratio; keep the whole picture inside the screen) and their check boxes.
// Both land in the settings at once.
struct DetailDialog {
    uint8_t* keepAspect;
    uint8_t* keepInside;
    int keepAspectId;
    int keepInsideId;
};

void onInit(HWND dlg, const DetailDialog& state) {
    CheckDlgButton(dlg, state.keepAspectId, *state.keepAspect ? BST_CHECKED : BST_UNCHECKED);
    // The second option only means something while the first is on; its
    // value is kept (and shown) while it is disabled.
    CheckDlgButton(dlg, state.keepInsideId, *state.keepInside ? BST_CHECKED : BST_UNCHECKED);
    EnableWindow(GetDlgItem(dlg, state.keepInsideId), *state.keepAspect ? TRUE : FALSE);
}

bool checked(HWND dlg, int id) { return IsDlgButtonChecked(dlg, id) == BST_CHECKED; }

void onCommand(HWND dlg, const DetailDialog& state, int id) {
    if (id == IDCANCEL) {
        EndDialog(dlg, IDCANCEL);
    } else if (id == state.keepAspectId) {
        const bool on = checked(dlg, id);
        *state.keepAspect = on ? 1 : 0;
        EnableWindow(GetDlgItem(dlg, state.keepInsideId), on ? TRUE : FALSE);
    } else if (id == state.keepInsideId) {
        *state.keepInside = checked(dlg, id) ? 1 : 0;
    }
}

INT_PTR CALLBACK detailDialogProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    const auto* state = bindDialogState<DetailDialog>(dlg, msg, lp);
    if (!state) return FALSE;
    switch (msg) {
        case WM_INITDIALOG:
            onInit(dlg, *state);
            return TRUE;
        case WM_COMMAND:
            onCommand(dlg, *state, LOWORD(wp));
            return TRUE;
        default:
            return FALSE;
    }
}

void runDetailDialog(HWND owner, int templateId, DetailDialog state) {
    DialogBoxParamW(g_instance, MAKEINTRESOURCEW(templateId), owner, detailDialogProc,
                    reinterpret_cast<LPARAM>(&state));
}

}  // namespace

void openSmallImageDialog(HWND owner) {
    runDetailDialog(
        owner, IDD_SMALL_IMAGE,
        {&g_settings.WpOptS0, &g_settings.WpOptS1, IDC_SMALL_KEEP_ASPECT, IDC_SMALL_KEEP_INSIDE});
}

void openLargeImageDialog(HWND owner) {
    runDetailDialog(
        owner, IDD_LARGE_IMAGE,
        {&g_settings.WpOptB0, &g_settings.WpOptB1, IDC_LARGE_KEEP_ASPECT, IDC_LARGE_KEEP_INSIDE});
}
