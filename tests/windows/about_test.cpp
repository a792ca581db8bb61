// The About window: its look, its modal behaviour through the disabled
// owner, every way of closing it; and the help file opened in the viewer.
#include <gtest/gtest.h>

#include "res/control_ids.h"
#include "support/harness.h"
#include "support/shell_links.h"
#include "support/ui_driver.h"
#include "ui/about_window.h"
#include "ui/about_window_parts.h"
#include "ui/help_win.h"
#include "ui/ui_resources.h"

namespace {

void pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

bool classRegistered(const wchar_t* name) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    return GetClassInfoExW(g_instance, name, &wc) != FALSE;
}

std::wstring windowText(HWND hwnd) {
    wchar_t buffer[256] = {};
    GetWindowTextW(hwnd, buffer, 256);
    return buffer;
}

class About : public ::testing::Test {
protected:
    void SetUp() override {
        uitest::setUpUiProcess();
        owner = uitest::createOwnerWindow();
        ASSERT_NE(owner, nullptr);
    }
    void TearDown() override {
        if (HWND about = aboutWindow()) SendMessageW(about, WM_CLOSE, 0, 0);
        DestroyWindow(owner);
        pump();
    }
    // Opens the window and checks what every way of closing must leave.
    HWND open() {
        EXPECT_TRUE(openAboutWindow(owner));
        pump();
        return aboutWindow();
    }
    void expectClosed() {
        pump();
        EXPECT_EQ(aboutWindow(), nullptr);
        EXPECT_TRUE(IsWindowEnabled(owner));
        EXPECT_FALSE(classRegistered(L"ver_parent_class"));
        EXPECT_FALSE(classRegistered(L"ver_child_class"));
    }
    HWND owner = nullptr;
};

TEST_F(About, ShowsNameVersionAndLinkOverADisabledOwner) {
    HWND about = open();
    ASSERT_NE(about, nullptr);
    EXPECT_FALSE(IsWindowEnabled(owner));
    EXPECT_EQ(GetWindow(about, GW_OWNER), owner);
    EXPECT_EQ(windowText(about), L"バージョン情報");
    wchar_t cls[64] = {};
    GetClassNameW(about, cls, 64);
    EXPECT_STREQ(cls, L"ver_parent_class");
    EXPECT_EQ(uitest::text(about, kIdAboutProgram), L"Tolvex  version 2.22");
    EXPECT_FALSE(uitest::text(about, kIdAboutMaker).empty());
    EXPECT_EQ(uitest::text(about, kIdAboutOk), L"OK");
    HWND link = GetDlgItem(about, kIdAboutLink);
    ASSERT_NE(link, nullptr);
    GetClassNameW(link, cls, 64);
    EXPECT_STREQ(cls, L"ver_child_class");
    EXPECT_EQ(reinterpret_cast<HCURSOR>(GetClassLongPtrW(link, GCLP_HCURSOR)),
              LoadCursorW(nullptr, IDC_HAND));
    // The link names the help file beside the program.
    EXPECT_EQ(aboutLinkText(about), L"ヘルプ (" + uitest::ownBaseName() + L".chm)");
    for (HWND w : {about, link})
        EXPECT_EQ(GetClassLongPtrW(w, GCL_STYLE),
                  static_cast<ULONG_PTR>(CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS));

    // Size and place: centred on the owner.
    const int f = 2 * GetSystemMetrics(SM_CYDLGFRAME);
    RECT rc, ownerRc;
    GetWindowRect(about, &rc);
    GetWindowRect(owner, &ownerRc);
    EXPECT_EQ(rc.right - rc.left, 235 + f);
    // Below the OK button, the libraries the program contains.
    EXPECT_EQ(rc.bottom - rc.top, 104 + 104 + f + GetSystemMetrics(SM_CYCAPTION));
    const std::wstring libraries = uitest::text(about, kIdAboutLibraries);
    for (const wchar_t* name : {L"libjpeg-turbo", L"zlib", L"libwebp", L"dav1d",
                                L"based in part on the work of the Independent JPEG Group"})
        EXPECT_NE(libraries.find(name), std::wstring::npos) << name;
    EXPECT_EQ(rc.left, (ownerRc.left + ownerRc.right - (235 + f)) >> 1);

    // Only Move and Close are left in its system menu.
    HMENU menu = GetSystemMenu(about, FALSE);
    EXPECT_EQ(GetMenuState(menu, SC_SIZE, MF_BYCOMMAND), static_cast<UINT>(-1));
    EXPECT_EQ(GetMenuState(menu, SC_MAXIMIZE, MF_BYCOMMAND), static_cast<UINT>(-1));
    EXPECT_EQ(GetMenuState(menu, SC_MINIMIZE, MF_BYCOMMAND), static_cast<UINT>(-1));
    EXPECT_EQ(GetMenuState(menu, SC_RESTORE, MF_BYCOMMAND), static_cast<UINT>(-1));
    EXPECT_NE(GetMenuState(menu, SC_MOVE, MF_BYCOMMAND), static_cast<UINT>(-1));
    EXPECT_NE(GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND), static_cast<UINT>(-1));

    // A second request while it is open makes no second window.
    openAboutWindow(owner);
    pump();
    EXPECT_EQ(aboutWindow(), about);
    int count = 0;
    for (HWND w = FindWindowW(L"ver_parent_class", nullptr); w;
         w = FindWindowExW(nullptr, w, L"ver_parent_class", nullptr))
        ++count;
    EXPECT_EQ(count, 1);
}

TEST_F(About, EscapeClosesAndGivesTheOwnerBack) {
    HWND about = open();
    ASSERT_NE(about, nullptr);
    SendMessageW(GetDlgItem(about, kIdAboutOk), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_FALSE(IsWindow(about));
    expectClosed();
}

TEST_F(About, EnterOnTheWindowCloses) {
    HWND about = open();
    ASSERT_NE(about, nullptr);
    SendMessageW(about, WM_KEYDOWN, VK_RETURN, 0);
    expectClosed();
}

TEST_F(About, OkButtonCloses) {
    HWND about = open();
    ASSERT_NE(about, nullptr);
    uitest::click(about, kIdAboutOk);
    expectClosed();
}

TEST_F(About, CloseCommandClosesAndItOpensAgain) {
    HWND about = open();
    ASSERT_NE(about, nullptr);
    SendMessageW(about, WM_SYSCOMMAND, SC_CLOSE, 0);
    expectClosed();
    about = open();
    ASSERT_NE(about, nullptr);
    EXPECT_FALSE(IsWindowEnabled(owner));
    SendMessageW(GetDlgItem(about, kIdAboutOk), WM_KEYDOWN, VK_RETURN, 0);
    expectClosed();
}

TEST(HelpFile, SitsBesideTheProgramUnderItsName) {
    EXPECT_EQ(helpFilePath(L"C:\\Apps\\Tolvex.exe"), L"C:\\Apps\\Tolvex.chm");
    EXPECT_EQ(helpFilePath(L"C:\\My.Apps\\Tolvex"), L"C:\\My.Apps\\Tolvex.chm");
    EXPECT_EQ(helpFilePath(std::wstring(300, L'a').c_str()), L"");
    EXPECT_EQ(helpLinkText(L"C:\\Apps\\Tolvex.chm"), L"ヘルプ (Tolvex.chm)");
    EXPECT_EQ(helpLinkText(L"Tolvex.chm"), L"ヘルプ (Tolvex.chm)");
    EXPECT_EQ(helpLinkText(L""), L"ヘルプ");
}

struct FindHelp {
    HWND found = nullptr;
};

BOOL CALLBACK matchHelp(HWND hwnd, LPARAM param) {
    wchar_t cls[64] = {};
    GetClassNameW(hwnd, cls, 64);
    if (std::wstring(cls) == L"HH Parent") {
        reinterpret_cast<FindHelp*>(param)->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

// The viewer window of this thread once it shows up (about five seconds at
// most), else null.
HWND waitForViewer() {
    FindHelp find;
    for (int i = 0; i < 100 && !find.found; ++i) {
        pump();
        EnumThreadWindows(GetCurrentThreadId(), matchHelp, reinterpret_cast<LPARAM>(&find));
        if (!find.found) Sleep(50);
    }
    return find.found;
}

// The title comes from the compiled file ("Tolvex ヘルプ", stored in the
// Japanese code page, which a non-Japanese system decodes differently).
bool showsTheProgramsHelp(HWND viewer) { return windowText(viewer).rfind(L"Tolvex ", 0) == 0; }

TEST(HelpFile, CompiledHelpOpensInTheViewer) {
    uitest::setUpUiProcess();
    const std::wstring chm = harness::testFolder() + L"\\Tolvex.chm";
    ASSERT_TRUE(harness::fileExists(chm));
    HelpViewer help;
    HWND viewer = callHelpViewer(nullptr, chm.c_str(), kHelpDisplayTopic, 0);
    HWND found = waitForViewer();
    ASSERT_NE(found, nullptr) << "no viewer window";
    EXPECT_TRUE(viewer == nullptr || viewer == found);
    EXPECT_TRUE(showsTheProgramsHelp(found)) << "not the program's help file";
    SendMessageW(found, WM_CLOSE, 0, 0);
    pump();
}

TEST_F(About, LinkOpensTheHelpFileInTheViewer) {
    const std::wstring chm = harness::testFolder() + L"\\Tolvex.chm";
    ASSERT_TRUE(harness::fileExists(chm));
    HelpViewer help;
    ASSERT_TRUE(openAboutWindowFor(owner, chm));
    pump();
    HWND about = aboutWindow();
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(aboutLinkText(about), L"ヘルプ (Tolvex.chm)");
    SendMessageW(GetDlgItem(about, kIdAboutLink), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    HWND viewer = waitForViewer();
    ASSERT_NE(viewer, nullptr) << "the link opened no viewer";
    EXPECT_TRUE(showsTheProgramsHelp(viewer)) << "not the program's help file";
    SendMessageW(viewer, WM_CLOSE, 0, 0);
    pump();
}

}  // namespace
