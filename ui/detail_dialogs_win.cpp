#include <cstdint>

#include "res/dialog_ids.h"
#include "settings/settings.h"
#include "ui/detail_dialogs.h"
#include "ui/ui_resources.h"

namespace {

// The two settings one dialog edits, and its two check boxes.
struct DetailPair {
    uint8_t* keepAspect;
    uint8_t* keepInside;
    int keepAspectId;
    int keepInsideId;
};

INT_PTR CALLBACK detailDialogProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_INITDIALOG: {
            SetWindowLongPtrW(dlg, DWLP_USER, lp);
            const DetailPair* pair = reinterpret_cast<const DetailPair*>(lp);
            CheckDlgButton(dlg, pair->keepAspectId,
                           *pair->keepAspect ? BST_CHECKED : BST_UNCHECKED);
            // The second option only means something while the first is on;
            // its value is kept (and shown) while it is disabled.
            CheckDlgButton(dlg, pair->keepInsideId,
                           *pair->keepInside ? BST_CHECKED : BST_UNCHECKED);
            EnableWindow(GetDlgItem(dlg, pair->keepInsideId), *pair->keepAspect ? TRUE : FALSE);
            return TRUE;
        }
        case WM_COMMAND: {
            const DetailPair* pair =
                reinterpret_cast<const DetailPair*>(GetWindowLongPtrW(dlg, DWLP_USER));
            const int id = LOWORD(wp);
            if (id == IDCANCEL) {
                EndDialog(dlg, IDCANCEL);
            } else if (pair && id == pair->keepAspectId) {
                const bool on = IsDlgButtonChecked(dlg, id) == BST_CHECKED;
                *pair->keepAspect = on ? 1 : 0;
                EnableWindow(GetDlgItem(dlg, pair->keepInsideId), on ? TRUE : FALSE);
            } else if (pair && id == pair->keepInsideId) {
                *pair->keepInside = IsDlgButtonChecked(dlg, id) == BST_CHECKED ? 1 : 0;
            }
            return TRUE;
        }
        default:
            return FALSE;
    }
}

}  // namespace

void openSmallImageDialog(HWND owner) {
    DetailPair pair = {&g_settings.WpOptS0, &g_settings.WpOptS1, 2202, 2203};
    DialogBoxParamW(g_instance, MAKEINTRESOURCEW(IDD_SMALL_IMAGE), owner, detailDialogProc,
                    reinterpret_cast<LPARAM>(&pair));
}

void openLargeImageDialog(HWND owner) {
    DetailPair pair = {&g_settings.WpOptB0, &g_settings.WpOptB1, 2302, 2303};
    DialogBoxParamW(g_instance, MAKEINTRESOURCEW(IDD_LARGE_IMAGE), owner, detailDialogProc,
                    reinterpret_cast<LPARAM>(&pair));
}
