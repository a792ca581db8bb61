#include "res/resource.h"
#include "settings/settings.h"
#include "ui/rename_dialog.h"
#include "ui/ui_resources.h"

namespace {

INT_PTR onInit(HWND dialog, std::wstring* name) {
    SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(name));
    SendDlgItemMessageW(dialog, IDC_RENAME_EDIT, EM_LIMITTEXT, kMaxPathChars, 0);
    SetDlgItemTextW(dialog, IDC_RENAME_EDIT, name->c_str());
    return TRUE;
}

void onOk(HWND dialog) {
    auto* name = reinterpret_cast<std::wstring*>(GetWindowLongPtrW(dialog, DWLP_USER));
    wchar_t text[kMaxPathChars + 1] = {};
    GetDlgItemTextW(dialog, IDC_RENAME_EDIT, text, kMaxPathChars + 1);
    if (name) *name = text;
    EndDialog(dialog, IDOK);
}

INT_PTR CALLBACK renameDialogProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_INITDIALOG:
            return onInit(dialog, reinterpret_cast<std::wstring*>(lp));
        case WM_COMMAND:
            if (LOWORD(wp) == IDOK) {
                onOk(dialog);
                return TRUE;
            }
            if (LOWORD(wp) == IDCANCEL) {
                EndDialog(dialog, IDCANCEL);
                return TRUE;
            }
            return FALSE;
    }
    return FALSE;
}

}  // namespace

bool runRenameDialog(HWND owner, std::wstring& name) {
    return DialogBoxParamW(g_instance, MAKEINTRESOURCEW(IDD_RENAME), owner, renameDialogProc,
                           reinterpret_cast<LPARAM>(&name)) == IDOK;
}
