// The preview pane on the real main window, created in this process: what it
// shows after a selection, the size text, the drawing with its margins,
// entries that cannot be decoded, and no second decode of the entry shown.
#include <gtest/gtest.h>

#include "support/ui_fixture.h"

using uitest::MainWindowInProcess;

namespace {

const wchar_t kIni[] = L"[WP]\r\nActList=0\r\n";

// The pane's client area drawn through WM_PRINTCLIENT into a 32-bit DIB.
class PaneCapture {
public:
    explicit PaneCapture(HWND pane) {
        RECT client;
        GetClientRect(pane, &client);
        width = client.right;
        height = client.bottom;
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        HDC screen = GetDC(nullptr);
        dc_ = CreateCompatibleDC(screen);
        ReleaseDC(nullptr, screen);
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_),
                                   nullptr, 0);
        old_ = SelectObject(dc_, bitmap_);
        SendMessageW(pane, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc_), PRF_CLIENT);
        GdiFlush();
    }
    ~PaneCapture() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    // 0x00RRGGBB
    uint32_t at(int x, int y) const { return bits_[y * width + x] & 0xFFFFFF; }
    int width = 0, height = 0;

private:
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    uint32_t* bits_ = nullptr;
};

uint32_t buttonFace() {
    const COLORREF c = GetSysColor(COLOR_BTNFACE);
    return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

TEST(Preview, SmallPictureIsShownAtItsSizeInTheMiddle) {
    harness::TempFolder pics;
    uitest::writeBmp(pics.file(L"small.bmp"), 100, 50, 0x20, 0x40, 0xC0);
    MainWindowInProcess w(std::wstring(kIni) +
                          uitest::listSection(0, {pics.file(L"small.bmp")}, -1));
    EXPECT_TRUE(w.preview().path.empty()) << "no position, nothing previewed at start";
    w.select(0);
    EXPECT_EQ(w.preview().path, pics.file(L"small.bmp"));
    EXPECT_EQ(uitest::windowText(w.item(kIdSizeText)), L"100 x 50");
    EXPECT_EQ(g_settings.lists[0].selectedIndex, 0);

    PaneCapture pane(w.item(kIdPreview));
    ASSERT_EQ(pane.width, 140);
    ASSERT_EQ(pane.height, 105);
    EXPECT_EQ(pane.at(20, 27), 0xC04020u);
    EXPECT_EQ(pane.at(119, 76), 0xC04020u);
    EXPECT_EQ(pane.at(19, 27), buttonFace());
    EXPECT_EQ(pane.at(120, 27), buttonFace());
    EXPECT_EQ(pane.at(20, 26), buttonFace());
    EXPECT_EQ(pane.at(20, 77), buttonFace());
}

TEST(Preview, LargePictureIsShrunkToTheWidth) {
    harness::TempFolder pics;
    uitest::writeBmp(pics.file(L"wide.bmp"), 2000, 1000, 0x10, 0xA0, 0x30);
    MainWindowInProcess w(std::wstring(kIni) + uitest::listSection(0, {pics.file(L"wide.bmp")}, 0));
    // The position's entry is previewed at start.
    EXPECT_EQ(uitest::windowText(w.item(kIdSizeText)), L"2000 x 1000");
    PaneCapture pane(w.item(kIdPreview));
    // Drawn 140 x 69 at (0, 18).
    EXPECT_EQ(pane.at(70, 17), buttonFace());
    EXPECT_EQ(pane.at(0, 18), 0x30A010u);
    EXPECT_EQ(pane.at(139, 86), 0x30A010u);
    EXPECT_EQ(pane.at(70, 87), buttonFace());
}

TEST(Preview, UndecodableEntryLeavesThePaneEmptyWithoutAMessage) {
    harness::TempFolder pics;
    uitest::writeBmp(pics.file(L"good.bmp"), 8, 8);
    harness::writeBytes(pics.file(L"broken.bmp"), "BM not really a bitmap");
    MainWindowInProcess w(
        std::wstring(kIni) +
        uitest::listSection(0, {pics.file(L"good.bmp"), pics.file(L"broken.bmp")}, 0));
    EXPECT_EQ(uitest::windowText(w.item(kIdSizeText)), L"8 x 8");
    w.select(1);
    EXPECT_TRUE(w.preview().path.empty());
    EXPECT_FALSE(w.preview().picture);
    EXPECT_EQ(uitest::windowText(w.item(kIdSizeText)), L"");
    EXPECT_EQ(harness::waitForWindow(GetCurrentProcessId(), L"#32770", nullptr, 300), nullptr);
    PaneCapture pane(w.item(kIdPreview));
    EXPECT_EQ(pane.at(0, 0), buttonFace());
    EXPECT_EQ(pane.at(70, 52), buttonFace());
    // A click on an empty pane opens nothing and says nothing.
    SendMessageW(w.item(kIdPreview), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(harness::waitForWindow(GetCurrentProcessId(), L"#32770", nullptr, 300), nullptr);
}

TEST(Preview, TheEntryShownIsNotDecodedAgain) {
    harness::TempFolder pics;
    uitest::writeBmp(pics.file(L"a.bmp"), 30, 20);
    uitest::writeBmp(pics.file(L"b.bmp"), 40, 10);
    MainWindowInProcess w(std::wstring(kIni) +
                          uitest::listSection(0, {pics.file(L"a.bmp"), pics.file(L"b.bmp")}, 0));
    EXPECT_EQ(uitest::windowText(w.item(kIdSizeText)), L"30 x 20");
    // With the file gone a new decode would fail and empty the pane.
    ASSERT_TRUE(DeleteFileW(pics.file(L"a.bmp").c_str()));
    w.select(0);
    EXPECT_EQ(uitest::windowText(w.item(kIdSizeText)), L"30 x 20");
    EXPECT_TRUE(w.preview().picture);
    w.select(1);
    EXPECT_EQ(uitest::windowText(w.item(kIdSizeText)), L"40 x 10");
    w.select(0);
    EXPECT_EQ(uitest::windowText(w.item(kIdSizeText)), L"");
}

// Opening the previewed file, counted instead of handed to the shell.
int g_opened = 0;
std::wstring g_openedTarget;
bool countOpening(const wchar_t* target) {
    ++g_opened;
    g_openedTarget = target;
    return true;
}

// Presses and releases the left button twice over the middle of `window`,
// through the system's input queue as a mouse does, and handles what follows.
void doubleClickOn(HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    SetForegroundWindow(GetAncestor(window, GA_ROOT));
    SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    INPUT presses[4] = {};
    for (int i = 0; i < 4; ++i) {
        presses[i].type = INPUT_MOUSE;
        presses[i].mi.dwFlags = i % 2 ? MOUSEEVENTF_LEFTUP : MOUSEEVENTF_LEFTDOWN;
    }
    ASSERT_EQ(SendInput(4, presses, sizeof(INPUT)), 4u);
    for (int i = 0; i < 25; ++i) {
        Sleep(20);
        uitest::pump();
    }
}

TEST(Preview, ADoubleClickOpensThePreviewedFileOnce) {
    harness::TempFolder pics;
    const std::wstring path = pics.file(L"with blank.bmp");
    uitest::writeBmp(path, 30, 20);
    MainWindowInProcess w(std::wstring(kIni) + uitest::listSection(0, {path}, 0));
    ASSERT_EQ(w.preview().path, path);
    w.state().preview.openFile = countOpening;
    g_opened = 0;
    doubleClickOn(w.item(kIdPreview));
    EXPECT_EQ(g_opened, 1);
    EXPECT_EQ(g_openedTarget, L"\"" + path + L"\"");
    // A second, separate click opens it again.
    Sleep(GetDoubleClickTime() + 100);
    SendMessageW(w.item(kIdPreview), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(g_opened, 2);
}

// A tab picked as the tab control reports it.
void pickTab(MainWindowInProcess& w, int index) {
    HWND tab = w.item(kIdTab);
    SendMessageW(tab, TCM_SETCURSEL, index, 0);
    NMHDR header = {tab, static_cast<UINT_PTR>(kIdTab), static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageW(w.hwnd(), WM_NOTIFY, kIdTab, reinterpret_cast<LPARAM>(&header));
    uitest::pump();
}

TEST(Preview, TabSwitchFollowsEachListsSelection) {
    harness::TempFolder pics;
    uitest::writeBmp(pics.file(L"a.bmp"), 30, 20);
    uitest::writeBmp(pics.file(L"b.bmp"), 40, 10);
    MainWindowInProcess w(std::wstring(kIni) + uitest::listSection(0, {pics.file(L"a.bmp")}, 0) +
                          uitest::listSection(1, {pics.file(L"b.bmp")}, -1) +
                          uitest::listSection(2, {pics.file(L"b.bmp")}, 0));
    EXPECT_EQ(uitest::windowText(w.item(kIdSizeText)), L"30 x 20");
    pickTab(w, 1);
    EXPECT_TRUE(w.preview().path.empty()) << "list 2 has nothing selected";
    EXPECT_TRUE(IsWindowVisible(w.list(1)));
    EXPECT_FALSE(IsWindowVisible(w.list(0)));
    pickTab(w, 2);
    EXPECT_EQ(uitest::windowText(w.item(kIdSizeText)), L"40 x 10");
    EXPECT_EQ(g_settings.shownList, 2);
}

TEST(Preview, PreviewingWidensTheListsHorizontalExtent) {
    harness::TempFolder pics;
    const std::wstring longName = pics.file(std::wstring(120, L'w') + L".bmp");
    uitest::writeBmp(longName, 2, 2);
    uitest::writeBmp(pics.file(L"s.bmp"), 2, 2);
    MainWindowInProcess w(std::wstring(kIni) +
                          uitest::listSection(0, {longName, pics.file(L"s.bmp")}, -1));
    EXPECT_EQ(SendMessageW(w.list(0), LB_GETHORIZONTALEXTENT, 0, 0), 0);
    w.select(0);
    const LRESULT wide = SendMessageW(w.list(0), LB_GETHORIZONTALEXTENT, 0, 0);
    EXPECT_GT(wide, 501);
    w.select(1);
    EXPECT_EQ(SendMessageW(w.list(0), LB_GETHORIZONTALEXTENT, 0, 0), wide)
        << "the extent never shrinks";
}

}  // namespace
