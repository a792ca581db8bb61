// Resident mode through the real Tolvex.exe: the run that stays, a second
// start handing its request over, the system's messages redrawing the
// calendar, the timed change, "終了", and everything as before when it is off.
#include <windows.h>
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "image/bmp_file.h"
#include "image/loaded_image.h"
#include "res/control_ids.h"
#include "support/harness.h"

namespace {

using harness::fileExists;

constexpr wchar_t kMainClass[] = L"Tolvex_main_class";
constexpr wchar_t kResidentTitle[] = L"Tolvex_resident";

using harness::uniformBmp;

bool waitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(50);
    }
    return true;
}

std::wstring todayMark() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return std::to_wstring(t.wYear) + L"/" + std::to_wstring(t.wMonth) + L"/" +
           std::to_wstring(t.wDay);
}

// An installation with three pictures in one list and resident mode on.
class Resident : public ::testing::Test {
protected:
    void SetUp() override {
        // Nothing of another test may still be there to take the requests.
        ASSERT_TRUE(waitUntil([] { return !FindWindowW(kMainClass, nullptr); }, 10000));
        exe = harness::copyTolvex(dir.path());
        const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
        harness::writeBytes(dir.file(L"red.bmp"), uniformBmp(sw, sh, 200, 0, 0));
        harness::writeBytes(dir.file(L"blue.bmp"), uniformBmp(sw, sh, 0, 0, 200));
        harness::writeBytes(dir.file(L"green.bmp"), uniformBmp(sw, sh, 0, 200, 0));
    }
    void TearDown() override {
        if (running && running->valid() && !running->wait(0)) running->kill();
    }

    void settings(const std::wstring& resident) {
        harness::writeUtf16File(ini(),
                                L"[WP]\r\nCalendar=1\r\nCycle=0\r\nListHold=1\r\n"
                                L"y=2000\r\nm=1\r\nd=1\r\n[List]\r\nCount=3\r\nWPNum=-1\r\n"
                                L"0=" +
                                    dir.file(L"red.bmp") + L"\r\n1=" + dir.file(L"blue.bmp") +
                                    L"\r\n2=" + dir.file(L"green.bmp") + L"\r\n" + resident);
    }
    // Starts the resident process and waits for its window.
    void startResident(const std::wstring& args) {
        running.emplace(harness::Process::start(exe, args));
        ASSERT_TRUE(running->valid());
        resident = harness::waitForWindow(running->id(), kMainClass, kResidentTitle, 20000);
        ASSERT_NE(resident, nullptr) << "no resident window";
    }
    std::wstring ini() const { return dir.file(L"Tolvex.ini"); }
    std::wstring output() const { return dir.file(L"save_wp.bmp"); }
    std::wstring value(const wchar_t* section, const wchar_t* key) const {
        return harness::iniValue(ini(), section, key);
    }
    std::wstring position() const { return value(L"List", L"WPNum"); }
    // The change to entry `entry` finished: the date mark is written last.
    bool settledOn(const wchar_t* entry) const {
        return position() == entry && mark() == todayMark();
    }
    std::wstring mark() const {
        return value(L"WP", L"y") + L"/" + value(L"WP", L"m") + L"/" + value(L"WP", L"d");
    }
    void oldMark() const {
        for (const auto& [k, v] : {std::pair{L"y", L"2000"}, {L"m", L"1"}, {L"d", L"1"}})
            WritePrivateProfileStringW(L"WP", k, v, ini().c_str());
    }
    // A second start: it must end within a second or two (three allowed for
    // a busy machine, process start under Wine included).
    void secondStart(const std::wstring& args) {
        const DWORD start = GetTickCount();
        EXPECT_TRUE(harness::run(exe, args, 10000).has_value()) << "the second start stayed";
        EXPECT_LT(GetTickCount() - start, 3000u) << "the second start took too long";
        EXPECT_FALSE(running->wait(0).has_value()) << "the resident process ended";
    }

    harness::TempFolder dir;
    std::wstring exe;
    std::optional<harness::Process> running;  // the first start, the one that stays
    HWND resident = nullptr;
};

TEST_F(Resident, StaysAndTakesOverLaterStartsAndItsMenu) {
    settings(L"[Resident]\r\nOn=1\r\nHotKey=1614\r\n");
    startResident(L"/s");
    ASSERT_TRUE(waitUntil([&] { return settledOn(L"0"); }, 20000));
    Sleep(1000);
    EXPECT_FALSE(running->wait(0).has_value()) << "a resident run does not end";

    secondStart(L"/s");
    EXPECT_TRUE(waitUntil([&] { return settledOn(L"1"); }, 10000)) << "no change handed over";

    // "次の壁紙" from the icon's menu; "/d" redraws the calendar on it.
    PostMessageW(resident, WM_COMMAND, IDM_RESIDENT_NEXT, 0);
    EXPECT_TRUE(waitUntil([&] { return settledOn(L"2"); }, 10000));
    // The hotkey (Ctrl+Alt+N here) takes the same road.
    PostMessageW(resident, WM_HOTKEY, 1, MAKELPARAM(MOD_CONTROL | MOD_ALT, 'N'));
    EXPECT_TRUE(waitUntil([&] { return settledOn(L"0"); }, 10000));
    PostMessageW(resident, WM_COMMAND, IDM_RESIDENT_NEXT, 0);
    EXPECT_TRUE(waitUntil([&] { return settledOn(L"1"); }, 10000));
    PostMessageW(resident, WM_COMMAND, IDM_RESIDENT_NEXT, 0);
    EXPECT_TRUE(waitUntil([&] { return settledOn(L"2"); }, 10000));
    oldMark();
    secondStart(L"/d");
    EXPECT_TRUE(waitUntil([&] { return mark() == todayMark(); }, 10000));
    EXPECT_EQ(position(), L"2");

    // A picture's path, relative to the second start's folder: made the
    // wallpaper, no setting changed.
    ASSERT_TRUE(DeleteFileW(output().c_str()));
    secondStart(L"red.bmp");
    EXPECT_TRUE(waitUntil([&] { return fileExists(output()); }, 10000));
    EXPECT_EQ(position(), L"2");

    // Anything else sent as a request is refused, and the process stays.
    const char junk[] = "not a request";
    COPYDATASTRUCT data = {0x12345678, sizeof junk, const_cast<char*>(junk)};
    EXPECT_EQ(SendMessageW(resident, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)), FALSE);
    COPYDATASTRUCT odd = {0x54560001, 3, const_cast<char*>(junk)};
    EXPECT_EQ(SendMessageW(resident, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&odd)), FALSE);
    EXPECT_FALSE(running->wait(500).has_value());
}

TEST_F(Resident, SystemEventsRedrawTheCalendarOnTheSamePicture) {
    settings(L"[Resident]\r\nOn=1\r\n");
    startResident(L"/s");
    ASSERT_TRUE(waitUntil([&] { return settledOn(L"0") && fileExists(output()); }, 20000));
    const struct {
        const char* what;
        UINT msg;
        WPARAM wp;
    } events[] = {
        {"resume", WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC},
        {"unlock", 0x02B1 /* WM_WTSSESSION_CHANGE */, 8 /* WTS_SESSION_UNLOCK */},
        {"logon", 0x02B1, 5 /* WTS_SESSION_LOGON */},
        {"time change", WM_TIMECHANGE, 0},
        {"display change", WM_DISPLAYCHANGE, 32},
    };
    for (const auto& e : events) {
        SCOPED_TRACE(e.what);
        oldMark();
        ASSERT_TRUE(DeleteFileW(output().c_str()));
        PostMessageW(resident, e.msg, e.wp, 0);
        // The date mark is written after the file.
        EXPECT_TRUE(waitUntil([&] { return fileExists(output()) && mark() == todayMark(); }, 10000))
            << "not redrawn";
        EXPECT_EQ(position(), L"0") << "the same picture";
    }
    // A lock is no reason to redraw.
    ASSERT_TRUE(DeleteFileW(output().c_str()));
    PostMessageW(resident, 0x02B1, 7 /* WTS_SESSION_LOCK */, 0);
    Sleep(1500);
    EXPECT_FALSE(fileExists(output()));
}

TEST_F(Resident, MainWindowInTheSameProcessAndExitSaves) {
    settings(L"[Resident]\r\nOn=1\r\n");
    startResident(L"/s");
    ASSERT_TRUE(waitUntil([&] { return settledOn(L"0"); }, 20000));
    secondStart(L"");
    HWND main = harness::waitForWindow(running->id(), kMainClass, L"Tolvex", 20000);
    ASSERT_NE(main, nullptr) << "no main window in the resident process";
    EXPECT_TRUE(waitUntil([&] { return IsWindowVisible(main) != FALSE; }, 10000));

    // Closing it saves (the closing save writes the folder window's keys)
    // and keeps the process.
    EXPECT_EQ(value(L"TWin", L"DTExpand"), L"<missing>");
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(waitUntil([&] { return !IsWindow(main); }, 10000));
    EXPECT_EQ(value(L"TWin", L"DTExpand"), L"1");
    EXPECT_FALSE(running->wait(1000).has_value());
    EXPECT_TRUE(IsWindow(resident));

    // "終了": saved, and the process ends.
    WritePrivateProfileStringW(L"TWin", nullptr, nullptr, ini().c_str());
    PostMessageW(resident, WM_COMMAND, IDM_RESIDENT_EXIT, 0);
    EXPECT_TRUE(running->wait(10000).has_value()) << "終了 did not end the process";
    EXPECT_EQ(value(L"TWin", L"DTExpand"), L"1");
    EXPECT_EQ(value(L"Resident", L"On"), L"1");
    EXPECT_EQ(value(L"List", L"WPNum"), L"0");
}

TEST_F(Resident, IntervalBringsTheNextPicture) {
    settings(L"[Resident]\r\nOn=1\r\nInterval=1\r\n");
    startResident(L"/s");
    ASSERT_TRUE(waitUntil([&] { return settledOn(L"0"); }, 20000));
    EXPECT_TRUE(waitUntil([&] { return settledOn(L"1"); }, 75000))
        << "no new picture within the minute";
    PostMessageW(resident, WM_COMMAND, IDM_RESIDENT_EXIT, 0);
    EXPECT_TRUE(running->wait(10000).has_value());
}

TEST_F(Resident, OffEndsAsBefore) {
    settings(L"[Resident]\r\nOn=0\r\nInterval=15\r\n");
    running.emplace(harness::Process::start(exe, L"/s"));
    EXPECT_TRUE(running->wait(30000).has_value()) << "the run stayed";
    EXPECT_EQ(position(), L"0");
}

}  // namespace
