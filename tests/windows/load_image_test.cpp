// loadImageFile on Windows: the same hand-over into CurrentImage as natively,
// the palette kept after a 24-bit load, CurrentImage untouched on failure,
// and the bmp writer's file read back.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/page_alloc.h"
#include "decode/decoders.h"
#include "image/bmp_file.h"
#include "tests/native/support/bmp_maker.h"
#include "tests/native/support/decode_error_print.h"

namespace {

class TempFolder {
public:
    TempFolder() {
        wchar_t base[MAX_PATH];
        GetTempPathW(MAX_PATH, base);
        dir_ = std::wstring(base) + L"tolvex-load-" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(dir_.c_str(), nullptr);
    }
    ~TempFolder() {
        for (const std::wstring& f : files_) DeleteFileW(f.c_str());
        RemoveDirectoryW(dir_.c_str());
    }
    std::wstring path(const wchar_t* name) {
        files_.push_back(dir_ + L"\\" + name);
        return files_.back();
    }
    std::wstring write(const wchar_t* name, const std::vector<uint8_t>& bytes) {
        const std::wstring p = path(name);
        HANDLE f = CreateFileW(p.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        if (!bytes.empty()) WriteFile(f, bytes.data(), DWORD(bytes.size()), &written, nullptr);
        CloseHandle(f);
        return p;
    }
    const std::wstring& dir() const { return dir_; }

private:
    std::wstring dir_;
    std::vector<std::wstring> files_;
};

std::vector<uint8_t> readFile(const std::wstring& p) {
    std::vector<uint8_t> v;
    HANDLE f = CreateFileW(p.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return v;
    v.resize(GetFileSize(f, nullptr));
    DWORD got = 0;
    if (!v.empty()) ReadFile(f, v.data(), DWORD(v.size()), &got, nullptr);
    v.resize(got);
    CloseHandle(f);
    return v;
}

uint32_t rgbBottomLeft(const LoadedImage& img) {
    const uint8_t* p = img.bits;
    if (img.header.biBitCount == 24) return p[2] << 16 | p[1] << 8 | p[0];
    const dib::RGBQUAD& c = img.palette[p[0]];
    return c.rgbRed << 16 | c.rgbGreen << 8 | c.rgbBlue;
}

}  // namespace

TEST(LoadImageFileWin, FillsCurrentImageAndKeepsThePaletteAfterTwentyFourBits) {
    TempFolder dir;
    testbmp::BmpLayout s;
    s.bits = 8;
    s.width = 3;
    s.height = 2;
    s.infoSize = 124;
    const std::wstring pal = dir.write(
        L"pal.bmp", testbmp::make(s, [](int x, int y) { return uint32_t(40 + x + 3 * y); }));
    ASSERT_EQ(sniffImageFormat(pal.c_str()), ImageFormat::Bmp);
    ASSERT_TRUE(loadImageFile(pal.c_str(), nullptr));
    EXPECT_EQ(CurrentImage.header.biSize, 40u);
    EXPECT_EQ(CurrentImage.header.biWidth, 3);
    EXPECT_EQ(CurrentImage.header.biHeight, 2);
    EXPECT_EQ(CurrentImage.header.biBitCount, 8);
    EXPECT_EQ(CurrentImage.bits[0], 43);  // bottom row first
    EXPECT_EQ(rgbBottomLeft(CurrentImage), testbmp::testColour(43));
    dib::RGBQUAD palette[256];
    std::memcpy(palette, CurrentImage.palette, sizeof palette);
    pageFree(CurrentImage.bits);

    s.bits = 24;
    s.infoSize = 40;
    const std::wstring rgb =
        dir.write(L"rgb.bmp", testbmp::make(s, [](int, int) { return 0xA0B0C0u; }));
    ASSERT_TRUE(loadImageFile(rgb.c_str(), nullptr));
    EXPECT_EQ(CurrentImage.header.biBitCount, 24);
    EXPECT_EQ(rgbBottomLeft(CurrentImage), 0xA0B0C0u);
    EXPECT_EQ(std::memcmp(palette, CurrentImage.palette, sizeof palette), 0);
    pageFree(CurrentImage.bits);
    CurrentImage.bits = nullptr;
}

TEST(LoadImageFileWin, FailureLeavesCurrentImageUntouched) {
    TempFolder dir;
    std::memset(&CurrentImage, 0x3C, sizeof CurrentImage);
    LoadedImage before;
    std::memcpy(&before, &CurrentImage, sizeof before);
    testbmp::BmpLayout s;
    s.height = -4;  // top-down
    const struct {
        std::wstring path;
        DecodeError reason;
    } files[] = {
        {dir.path(L"missing.bmp"), DecodeError::OpenFailed},
        {dir.write(L"empty.bmp", {}), DecodeError::EmptyFile},
        {dir.write(L"topdown.bmp", testbmp::make(s, [](int, int) { return 0u; })),
         DecodeError::SideOutOfRange},
        {dir.write(L"other.bmp", {'x', 'y', 'z'}), DecodeError::UnknownFormat},
    };
    // A plug-in folder without plug-ins: content of no built-in format finds
    // no plug-in either.
    for (const std::wstring& spi : {std::wstring(), dir.dir()}) {
        for (const auto& f : files) {
            DecodeError reason = DecodeError::None;
            EXPECT_FALSE(loadImageFile(f.path.c_str(), spi.c_str(), &reason));
            const bool pluginsAsked = !spi.empty() && f.reason == DecodeError::UnknownFormat;
            EXPECT_EQ(reason, pluginsAsked ? DecodeError::NoPlugin : f.reason);
            EXPECT_EQ(std::memcmp(&before, &CurrentImage, sizeof before), 0);
        }
    }
    std::memset(&CurrentImage, 0, sizeof CurrentImage);
}

TEST(LoadImageFileWin, WrittenBitmapReadsBack) {
    TempFolder dir;
    dib::BITMAPINFOHEADER hd{};
    hd.biSize = 40;
    hd.biWidth = 5;
    hd.biHeight = 2;
    hd.biPlanes = 1;
    hd.biBitCount = 24;
    std::vector<uint8_t> bits(pixelBlockSize(5, 2, 24));
    for (size_t i = 0; i < bits.size(); ++i) bits[i] = uint8_t(i * 11);
    const std::wstring out = dir.path(L"save.bmp");
    ASSERT_TRUE(writeBmpFile(out.c_str(), hd, nullptr, bits.data()));
    const std::vector<uint8_t> f = readFile(out);
    ASSERT_EQ(f.size(), 54u + 32u);
    EXPECT_EQ(std::memcmp(&f[54], bits.data(), bits.size()), 0);
    ASSERT_TRUE(loadImageFile(out.c_str(), nullptr));
    EXPECT_EQ(CurrentImage.header.biWidth, 5);
    EXPECT_EQ(std::memcmp(CurrentImage.bits, bits.data(), bits.size()), 0);
    pageFree(CurrentImage.bits);
    CurrentImage.bits = nullptr;
    // A folder that does not exist cannot take the file.
    EXPECT_FALSE(writeBmpFile((dir.dir() + L"\\no\\such.bmp").c_str(), hd, nullptr, bits.data()));
}
