// The real Tolvex.exe started as a user starts it: by name, with each kind of
// first argument, twice at once, and maximised.
#include <gtest/gtest.h>

#include "support/harness.h"

using harness::Process;
using harness::TempFolder;

namespace {

constexpr DWORD kWait = 20000;
const wchar_t kMainClass[] = L"Tolvex_main_class";
const wchar_t kEmptyIni[] = L"[WP]\r\nCycle=0\r\n[List]\r\nCount=0\r\n";

// Starts the program, waits for its main window, and closes it the way the
// close box does; returns the exit code.
std::optional<DWORD> closeMainWindow(Process& p, HWND main) {
    PostMessageW(main, WM_CLOSE, 0, 0);
    return p.wait(kWait);
}

TEST(Startup, MisnamedExecutableIsRefusedWithTheMessage) {
    TempFolder folder;
    const std::wstring exe = harness::copyTolvex(folder.path(), L"Wallpaper.exe");
    Process p = Process::start(exe);
    ASSERT_TRUE(p.valid());
    HWND box = harness::waitForWindow(p.id(), L"#32770", L"Error", kWait);
    ASSERT_NE(box, nullptr) << "no error box";
    EXPECT_EQ(harness::messageBoxText(box), L"ファイル実行に失敗しました。");
    EXPECT_EQ(harness::waitForWindow(p.id(), kMainClass, nullptr, 0), nullptr);
    harness::dismissMessageBox(box);
    EXPECT_EQ(p.wait(kWait), 0u);
    EXPECT_FALSE(harness::fileExists(folder.file(L"Tolvex.ini")));
}

TEST(Startup, AnyLetterCaseOfTheNameIsAccepted) {
    TempFolder folder;
    const std::wstring exe = harness::copyTolvex(folder.path(), L"TOLVEX.EXE");
    harness::writeUtf16File(folder.file(L"Tolvex.ini"), kEmptyIni);
    Process p = Process::start(exe);
    HWND main = harness::waitForWindow(p.id(), kMainClass, L"Tolvex", kWait);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(closeMainWindow(p, main), 0u);
}

TEST(Startup, HeadlessArgumentsEndWithoutWindowOrMessage) {
    TempFolder folder;
    const std::wstring exe = harness::copyTolvex(folder.path());
    const std::wstring ini = folder.file(L"Tolvex.ini");
    harness::writeUtf16File(ini, kEmptyIni);
    CreateDirectoryW(folder.file(L"some pictures").c_str(), nullptr);
    harness::writeBytes(folder.file(L"some pictures\\not an image.bmp"), "BMxx");
    const std::string before = harness::readBytes(ini);

    for (const std::wstring& arg :
         {std::wstring(L"/s"), std::wstring(L"/sx"), std::wstring(L"/start"), std::wstring(L"/d"),
          std::wstring(L"/date"), L"\"" + folder.file(L"some pictures") + L"\"",
          L"\"" + folder.file(L"some pictures\\not an image.bmp") + L"\""}) {
        SCOPED_TRACE(arg);
        Process p = Process::start(exe, arg);
        ASSERT_TRUE(p.valid());
        EXPECT_EQ(p.wait(kWait), 0u);
        EXPECT_EQ(harness::readBytes(ini), before)
            << "a headless run with nothing to do writes nothing";
    }
}

TEST(Startup, OtherArgumentsOpenTheWindow) {
    TempFolder folder;
    const std::wstring exe = harness::copyTolvex(folder.path());
    harness::writeUtf16File(folder.file(L"Tolvex.ini"), kEmptyIni);
    for (const std::wstring& arg :
         {std::wstring(L""), std::wstring(L"/S"), std::wstring(L"/D"), std::wstring(L"/x"),
          std::wstring(L"/"), std::wstring(L"\"Z:\\no such\\picture.png\"")}) {
        SCOPED_TRACE(arg);
        Process p = Process::start(exe, arg);
        HWND main = harness::waitForWindow(p.id(), kMainClass, L"Tolvex", kWait);
        ASSERT_NE(main, nullptr);
        for (int i = 0; i < 250 && !IsWindowVisible(main); ++i) Sleep(20);
        EXPECT_TRUE(IsWindowVisible(main));
        EXPECT_EQ(closeMainWindow(p, main), 0u);
    }
}

TEST(Startup, MainWindowHasItsSizeAndNeverStartsMaximised) {
    TempFolder folder;
    const std::wstring exe = harness::copyTolvex(folder.path());
    harness::writeUtf16File(folder.file(L"Tolvex.ini"), kEmptyIni);
    Process p = Process::start(exe, L"", SW_SHOWMAXIMIZED);
    HWND main = harness::waitForWindow(p.id(), kMainClass, L"Tolvex", kWait);
    ASSERT_NE(main, nullptr);
    // The window is found as soon as it exists; it is shown (minimised, then
    // normal) a moment later.
    // Under Wine the restore from the minimised state settles a moment after
    // IsIconic turns false, so wait for the client area too.
    RECT client{};
    for (int i = 0; i < 250; ++i) {
        GetClientRect(main, &client);
        if (IsWindowVisible(main) && !IsIconic(main) && client.right > 0) break;
        Sleep(20);
    }
    EXPECT_EQ(client.right - client.left, 612);
    EXPECT_EQ(client.bottom - client.top, 475);
    EXPECT_FALSE(IsZoomed(main));
    EXPECT_FALSE(IsIconic(main));
    const LONG style = GetWindowLongW(main, GWL_STYLE);
    EXPECT_FALSE(style & WS_THICKFRAME);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_TRUE(GetWindowLongW(main, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    EXPECT_EQ(closeMainWindow(p, main), 0u);
}

TEST(Startup, SecondStartBringsTheFirstForwardAndChangesNothing) {
    TempFolder folder;
    const std::wstring exe = harness::copyTolvex(folder.path());
    const std::wstring ini = folder.file(L"Tolvex.ini");
    harness::writeUtf16File(ini, kEmptyIni);
    Process first = Process::start(exe);
    HWND main = harness::waitForWindow(first.id(), kMainClass, L"Tolvex", kWait);
    ASSERT_NE(main, nullptr);
    ShowWindow(main, SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(main));
    const std::string before = harness::readBytes(ini);

    for (const wchar_t* arg : {L"/s", L""}) {
        Process second = Process::start(exe, arg);
        EXPECT_EQ(second.wait(kWait), 0u);
        EXPECT_EQ(harness::waitForWindow(second.id(), kMainClass, nullptr, 0), nullptr);
    }
    for (int i = 0; i < 100 && IsIconic(main); ++i) Sleep(20);
    EXPECT_FALSE(IsIconic(main)) << "the running window is restored";
    EXPECT_EQ(harness::readBytes(ini), before);
    EXPECT_TRUE(IsWindow(main));
    EXPECT_EQ(closeMainWindow(first, main), 0u);
}

TEST(Startup, ClosingWritesTheSettingsAsUnicodeAndKeepsTheLists) {
    TempFolder folder;
    const std::wstring exe = harness::copyTolvex(folder.path());
    const std::wstring ini = folder.file(L"Tolvex.ini");
    const std::wstring picture = folder.file(L"写真 1.bmp");
    harness::writeBytes(picture, "BM");
    harness::writeUtf16File(ini,
                            L"[WP]\r\ny=2026\r\nm=1\r\nd=2\r\nRandom=1\r\n"
                            L"[List2]\r\nCount=1\r\nWPNum=0\r\nName=Trips\r\n0=" +
                                picture + L"\r\n");
    Process p = Process::start(exe);
    HWND main = harness::waitForWindow(p.id(), kMainClass, L"Tolvex", kWait);
    ASSERT_NE(main, nullptr);
    ASSERT_EQ(closeMainWindow(p, main), 0u);

    const std::string bytes = harness::readBytes(ini);
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0xFF);
    EXPECT_EQ(harness::iniValue(ini, L"List2", L"0"), picture);
    EXPECT_EQ(harness::iniValue(ini, L"List2", L"Name"), L"Trips");
    EXPECT_EQ(harness::iniValue(ini, L"WP", L"Random"), L"1");
    EXPECT_EQ(harness::iniValue(ini, L"WP", L"y"), L"2026");
    EXPECT_EQ(harness::iniValue(ini, L"Cal", L"DispMonth"), L"1");
    EXPECT_FALSE(harness::fileExists(ini + L".new"));
}

}  // namespace
