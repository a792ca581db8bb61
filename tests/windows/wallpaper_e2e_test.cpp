// The wallpaper file and the real program: save_wp.bmp written whole or not
// at all, and Tolvex.exe run with "/s", "/d" and a picture's path beside a
// Tolvex.ini, read back through the files and the system's wallpaper setting.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/page_alloc.h"
#include "compose/loaded_image.h"
#include "compose/wallpaper_output.h"

namespace {

// A fresh folder under the temporary folder, removed with its files.
class TempFolder {
public:
    TempFolder() {
        wchar_t base[MAX_PATH];
        GetTempPathW(MAX_PATH, base);
        static int serial = 0;
        path_ = std::wstring(base) + L"tolvex_e2e_" + std::to_wstring(GetCurrentProcessId()) +
                L"_" + std::to_wstring(++serial) + L"\\";
        CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~TempFolder() {
        for (const auto& name : files()) {
            const std::wstring p = path_ + name;
            SetFileAttributesW(p.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (!DeleteFileW(p.c_str())) RemoveDirectoryW(p.c_str());
        }
        RemoveDirectoryW(path_.c_str());
    }
    const std::wstring& path() const { return path_; }
    std::wstring operator/(const std::wstring& name) const { return path_ + name; }
    std::vector<std::wstring> files() const {
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW fd;
        HANDLE h = FindFirstFileW((path_ + L"*").c_str(), &fd);
        if (h == INVALID_HANDLE_VALUE) return names;
        do {
            if (wcscmp(fd.cFileName, L".") && wcscmp(fd.cFileName, L".."))
                names.push_back(fd.cFileName);
        } while (FindNextFileW(h, &fd));
        FindClose(h);
        return names;
    }

private:
    std::wstring path_;
};

std::vector<uint8_t> readFile(const std::wstring& path) {
    std::vector<uint8_t> bytes;
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    if (f == INVALID_HANDLE_VALUE) return bytes;
    bytes.resize(GetFileSize(f, nullptr));
    DWORD got = 0;
    if (!bytes.empty()) ReadFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
    bytes.resize(got);
    CloseHandle(f);
    return bytes;
}

bool writeFile(const std::wstring& path, const std::string& text) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD put = 0;
    WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &put, nullptr);
    CloseHandle(f);
    return put == text.size();
}

uint32_t le32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t{b[at + 3]} << 24);
}

// A 24-bit picture whose every byte, padding included, is known.
struct Picture {
    LoadedImage image{};
    PageBlock block;
    Picture(int w, int h, uint8_t seed) {
        image.header.biSize = 40;
        image.header.biWidth = w;
        image.header.biHeight = h;
        image.header.biPlanes = 1;
        image.header.biBitCount = 24;
        image.header.biXPelsPerMeter = 2835;  // not carried into the file
        const uint32_t size = pixelBlockSize(w, h, 24);
        block = PageBlock(size);
        for (uint32_t i = 0; i < size; ++i) block.get()[i] = static_cast<uint8_t>(seed + i * 7);
        image.bits = block.get();
    }
};

TEST(WallpaperFile, LayoutForTinyScreens) {
    TempFolder dir;
    const std::wstring out = dir / L"save_wp.bmp";
    Picture one(1, 1, 10);
    ASSERT_TRUE(writeWallpaperFile(out.c_str(), one.image));
    const auto b = readFile(out);
    ASSERT_EQ(b.size(), 58u);
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    EXPECT_EQ(le32(b, 2), 58u);
    EXPECT_EQ(le32(b, 10), 54u);
    EXPECT_EQ(le32(b, 14), 40u);
    EXPECT_EQ(le32(b, 18), 1u);
    EXPECT_EQ(le32(b, 22), 1u);
    EXPECT_EQ(b[26] | (b[27] << 8), 1);
    EXPECT_EQ(b[28] | (b[29] << 8), 24);
    for (size_t at = 30; at < 54; at += 4) EXPECT_EQ(le32(b, at), 0u) << at;
    // Three pixel bytes and the padding byte as they stand in the block.
    EXPECT_EQ(std::memcmp(&b[54], one.block.get(), 4), 0);

    Picture five(5, 3, 99);  // stride 16
    ASSERT_TRUE(writeWallpaperFile(out.c_str(), five.image));
    const auto c = readFile(out);
    ASSERT_EQ(c.size(), 54u + 16 * 3);
    EXPECT_EQ(std::memcmp(&c[54], five.block.get(), 48), 0);
    EXPECT_EQ(dir.files(), std::vector<std::wstring>{L"save_wp.bmp"});  // no temporary left
}

TEST(WallpaperFile, FailureLeavesTheOldFile) {
    TempFolder dir;
    const std::wstring out = dir / L"save_wp.bmp";
    ASSERT_TRUE(writeFile(out, "old wallpaper"));
    Picture p(64, 32, 1);

    // Held open without sharing by someone else: it cannot be replaced.
    HANDLE held = CreateFileW(out.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(writeWallpaperFile(out.c_str(), p.image));
    CloseHandle(held);
    const auto kept = readFile(out);
    EXPECT_EQ(std::string(kept.begin(), kept.end()), "old wallpaper");
    EXPECT_EQ(dir.files(), std::vector<std::wstring>{L"save_wp.bmp"});

    // A folder that does not exist.
    const std::wstring missing = dir / L"gone\\save_wp.bmp";
    EXPECT_FALSE(writeWallpaperFile(missing.c_str(), p.image));

    // A picture that is not 24-bit is not written.
    p.image.header.biBitCount = 8;
    EXPECT_FALSE(writeWallpaperFile(out.c_str(), p.image));
    EXPECT_EQ(readFile(out).size(), 13u);
}

// ---------------------------------------------------------------------------
// The real program, copied beside a Tolvex.ini of the test's own.

std::wstring testFolder() {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring folder(self);
    folder.resize(folder.find_last_of(L"\\/") + 1);
    return folder;
}

// Writes a 24-bit BMP of one colour.
bool writeUniformBmp(const std::wstring& path, int w, int h, uint8_t r, uint8_t g, uint8_t b) {
    const uint32_t stride = (3u * w + 3) & ~3u;
    std::string bytes(54 + size_t{stride} * h, '\0');
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put32(2, static_cast<uint32_t>(bytes.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, w);
    put32(22, h);
    bytes[26] = 1;
    bytes[28] = 24;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            char* px = &bytes[54 + size_t{stride} * y + 3 * x];
            px[0] = static_cast<char>(b);
            px[1] = static_cast<char>(g);
            px[2] = static_cast<char>(r);
        }
    return writeFile(path, bytes);
}

std::string utf8(const std::wstring& w) {
    std::string s(WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr),
                  '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, s.data(), static_cast<int>(s.size()), nullptr,
                        nullptr);
    s.pop_back();
    return s;
}

std::wstring registryWallpaper() {
    wchar_t value[MAX_PATH] = {};
    DWORD size = sizeof value;
    RegGetValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"Wallpaper", RRF_RT_REG_SZ, nullptr,
                 value, &size);
    return value;
}

void setRegistryWallpaper(const std::wstring& value) {
    RegSetKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"Wallpaper", REG_SZ,
                    value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

struct Today {
    int y, m, d;
};
Today today() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay};
}

// One installation: Tolvex.exe and its Tolvex.ini in a folder of their own,
// with two pictures of the screen's size in different colours.
class Installation : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(CopyFileW((testFolder() + L"Tolvex.exe").c_str(), (dir / L"Tolvex.exe").c_str(),
                              FALSE));
        sw = GetSystemMetrics(SM_CXSCREEN);
        sh = GetSystemMetrics(SM_CYSCREEN);
        ASSERT_TRUE(writeUniformBmp(dir / L"red.bmp", sw, sh, 200, 0, 0));
        ASSERT_TRUE(writeUniformBmp(dir / L"blue.bmp", sw + 10, sh + 10, 0, 0, 200));
        ASSERT_TRUE(writeFile(dir / L"broken.bmp", "BM this is not a picture"));
    }

    // The settings with the calendar off, so the pictures' colours show
    // everywhere, and the list entries given.
    void settings(const std::string& wp, const std::vector<std::wstring>& entries, int wpNum = -1) {
        std::string ini = "[WP]\r\nCalendar=0\r\nStyleB=1\r\nWpOptB0=1\r\nWpOptB1=0\r\n" + wp +
                          "[List]\r\nCount=" + std::to_string(entries.size()) +
                          "\r\nWPNum=" + std::to_string(wpNum) + "\r\n";
        for (size_t i = 0; i < entries.size(); ++i)
            ini += std::to_string(i) + "=" + utf8(entries[i]) + "\r\n";
        ASSERT_TRUE(writeFile(iniPath(), ini));
    }
    std::wstring iniPath() const { return dir / L"Tolvex.ini"; }
    std::wstring output() const { return dir / L"save_wp.bmp"; }

    int readInt(const wchar_t* section, const wchar_t* key, int fallback = -99) const {
        return static_cast<int>(GetPrivateProfileIntW(section, key, fallback, iniPath().c_str()));
    }
    std::string iniText() const {
        const auto b = readFile(iniPath());
        return {b.begin(), b.end()};
    }

    // Runs the copied program with `args` and waits for it to end.
    void run(const std::wstring& args) {
        // Another test's instance would turn this run into a mere activation.
        for (int i = 0; i < 500 && FindWindowW(L"Tolvex_main_class", nullptr); ++i) Sleep(20);
        const std::wstring exe = dir / L"Tolvex.exe";
        std::wstring command = L"\"" + exe + L"\" " + args;
        STARTUPINFOW si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        ASSERT_TRUE(CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                   dir.path().c_str(), &si, &pi));
        EXPECT_EQ(WaitForSingleObject(pi.hProcess, 60000), WAIT_OBJECT_0);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }

    // The colour in the middle of the wallpaper, as 0xRRGGBB; 0 without one.
    uint32_t centreColour() const {
        const auto b = readFile(output());
        if (b.size() < 54) return 0;
        const uint32_t stride = (3u * sw + 3) & ~3u;
        const size_t at = 54 + size_t{stride} * (sh / 2) + 3 * (sw / 2);
        if (at + 3 > b.size()) return 0;
        return (uint32_t{b[at + 2]} << 16) | (b[at + 1] << 8) | b[at];
    }

    TempFolder dir;
    int sw = 0, sh = 0;
    static constexpr uint32_t kRed = 0xC80000, kBlue = 0x0000C8;
};

TEST_F(Installation, ChangeRunTakesTheNextPictureEachTime) {
    settings("Cycle=0\r\nListHold=1\r\n", {dir / L"red.bmp", dir / L"blue.bmp"});
    const Today t = today();
    run(L"/s");
    EXPECT_EQ(centreColour(), kRed);
    EXPECT_EQ(readInt(L"List", L"WPNum"), 0);
    run(L"/s");
    EXPECT_EQ(centreColour(), kBlue);
    EXPECT_EQ(readInt(L"List", L"WPNum"), 1);
    if (today().d == t.d) {
        EXPECT_EQ(readInt(L"WP", L"y"), t.y);
        EXPECT_EQ(readInt(L"WP", L"m"), t.m);
        EXPECT_EQ(readInt(L"WP", L"d"), t.d);
    }
    // The file has the screen's size whatever the picture's.
    const uint32_t stride = (3u * sw + 3) & ~3u;
    EXPECT_EQ(readFile(output()).size(), 54u + size_t{stride} * sh);
    // The system was told to use it.
    EXPECT_EQ(_wcsicmp(registryWallpaper().c_str(), output().c_str()), 0) << registryWallpaper();
}

TEST_F(Installation, OnceADayRunWritesNothingOnTheSameDay) {
    const Today t = today();
    settings("Cycle=1\r\nListHold=1\r\ny=" + std::to_string(t.y) + "\r\nm=" + std::to_string(t.m) +
                 "\r\nd=" + std::to_string(t.d) + "\r\n",
             {dir / L"red.bmp"});
    const std::string before = iniText();
    run(L"/s");
    EXPECT_EQ(GetFileAttributesW(output().c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(iniText(), before);
}

TEST_F(Installation, CalendarRunRedrawsTheSamePicture) {
    settings("Cycle=0\r\nListHold=1\r\ny=2000\r\nm=1\r\nd=1\r\n",
             {dir / L"red.bmp", dir / L"blue.bmp"}, 1);
    const Today t = today();
    run(L"/d");
    EXPECT_EQ(centreColour(), kBlue);
    EXPECT_EQ(readInt(L"List", L"WPNum"), 1);
    if (today().d == t.d) {
        EXPECT_EQ(readInt(L"WP", L"y"), t.y);
    }

    // Once a day: the second run of the day leaves everything alone.
    ASSERT_TRUE(DeleteFileW(output().c_str()));
    const std::string before = iniText();
    run(L"/d");
    if (today().d == t.d) {
        EXPECT_EQ(GetFileAttributesW(output().c_str()), INVALID_FILE_ATTRIBUTES);
        EXPECT_EQ(iniText(), before);
    }
}

TEST_F(Installation, PicturePathOnTheCommandLine) {
    settings("Cycle=0\r\n", {dir / L"red.bmp"});
    const std::string before = iniText();
    run(L"\"" + dir / L"blue.bmp" + L"\"");
    EXPECT_EQ(centreColour(), kBlue);
    EXPECT_EQ(iniText(), before);  // no setting changed, no date mark
}

TEST_F(Installation, UndecodableEntryIsSkipped) {
    settings("Cycle=0\r\nListHold=1\r\n", {dir / L"broken.bmp", dir / L"red.bmp"});
    run(L"/s");
    EXPECT_EQ(centreColour(), kRed);
    EXPECT_EQ(readInt(L"List", L"WPNum"), 1);
}

TEST_F(Installation, FailedWriteLeavesFileSettingsAndWallpaper) {
    settings("Cycle=0\r\nListHold=1\r\n", {dir / L"red.bmp"});
    ASSERT_TRUE(writeFile(output(), "old wallpaper"));
    setRegistryWallpaper(L"C:\\previous.bmp");
    const std::string before = iniText();
    // Held open without sharing for the whole run: it cannot be replaced.
    HANDLE held =
        CreateFileW(output().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    run(L"/s");
    CloseHandle(held);
    const auto kept = readFile(output());
    EXPECT_EQ(std::string(kept.begin(), kept.end()), "old wallpaper");
    EXPECT_EQ(iniText(), before);
    EXPECT_EQ(registryWallpaper(), L"C:\\previous.bmp");
    // Only the old file: the temporary one was removed.
    for (const auto& name : dir.files()) EXPECT_EQ(name.find(L".tmp"), std::wstring::npos) << name;
}

}  // namespace
