// The folder window wired to the main window: its owner, the UI font, the
// list the folders go to, and the owner-drawn context menu.
#include <windows.h>

#include <new>

#include "ui/folder_window.h"
#include "ui/list_editing.h"
#include "ui/main_window.h"
#include "ui/ui_resources.h"

namespace {

class MainWindowFolderHost final : public FolderWindowHost {
public:
    explicit MainWindowFolderHost(MainWindow& w) : w_(w) {}

    HWND owner() const override { return w_.hwnd; }
    HFONT font() const override { return g_uiFont; }
    void addFolder(const wchar_t* folder) override { addFolderToShownList(w_, folder); }
    // The list boxes share one rectangle; the shown one stands for all.
    bool overLists(POINT screen) const override {
        HWND box = shownListBox(w_);
        RECT area;
        return box && GetWindowRect(box, &area) && PtInRect(&area, screen);
    }
    const FolderMenu* menu() const override { return &w_.folderMenu; }
    void showError(const wchar_t* text) const override { showErrorMessage(w_.hwnd, text); }

private:
    MainWindow& w_;
};

}  // namespace

HWND createFolderWindowForMain(MainWindow& w) {
    if (w.folderWindow && IsWindow(w.folderWindow)) return w.folderWindow;
    w.folderHost.reset(new (std::nothrow) MainWindowFolderHost(w));
    w.folderWindow = w.folderHost ? createFolderWindow(*w.folderHost) : nullptr;
    return w.folderWindow;
}
