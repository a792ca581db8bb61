// The size probe's reads through the Windows file calls.
#include "decode/size_probe.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/native/support/decode_error_print.h"

namespace {

class ScratchFile {
public:
    explicit ScratchFile(const std::vector<uint8_t>& bytes) {
        wchar_t dir[MAX_PATH];
        GetTempPathW(MAX_PATH, dir);
        wchar_t name[MAX_PATH];
        GetTempFileNameW(dir, L"tvx", 0, name);
        path_ = name;
        HANDLE h = CreateFileW(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        if (!bytes.empty())
            WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(h);
    }
    ~ScratchFile() { DeleteFileW(path_.c_str()); }
    const wchar_t* path() const { return path_.c_str(); }

private:
    std::wstring path_;
};

TEST(SizeProbeFile, ReadsAtOffsetsAndStopsAtTheEnd) {
    std::vector<uint8_t> bytes(1000);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7);
    ScratchFile f(bytes);
    FileProbeSource src;
    ASSERT_TRUE(src.open(f.path()));
    uint8_t buf[16] = {};
    EXPECT_EQ(src.readAt(990, buf, 16), 10u);
    EXPECT_EQ(buf[0], static_cast<uint8_t>(990 * 7));
    EXPECT_EQ(src.readAt(3, buf, 4), 4u);
    EXPECT_EQ(buf[0], 21);
    EXPECT_EQ(src.readAt(1000, buf, 4), 0u);
    EXPECT_EQ(src.readAt(uint64_t{1} << 40, buf, 4), 0u);
}

TEST(SizeProbeFile, MissingFileDoesNotOpen) {
    FileProbeSource src;
    EXPECT_FALSE(src.open(L"C:\\no\\such\\folder\\picture.gif"));
}

TEST(SizeProbeFile, JpegSegmentsAreSkippedBySeeking) {
    // SOI, an APP1 block of 5,000 bytes, then the frame header of 1920 x 1080.
    std::vector<uint8_t> b(4 + 5000 + 9, 0xFF);
    const uint8_t head[] = {0xFF, 0xD8, 0xFF, 0xE1, 0x13, 0x88};
    const uint8_t sof[] = {0xFF, 0xC0, 0x00, 0x11, 0x08, 0x04, 0x38, 0x07, 0x80};
    std::copy(head, head + sizeof head, b.begin());
    std::copy(sof, sof + sizeof sof, b.end() - sizeof sof);
    ScratchFile f(b);
    FileProbeSource src;
    ASSERT_TRUE(src.open(f.path()));
    const ImageSize s = probeImageSize(ImageFormat::Jpeg, src);
    EXPECT_EQ(s.width, 1920);
    EXPECT_EQ(s.height, 1080);
}

TEST(SizeProbeFile, FilterReadsTheFileThroughSniffingAndTheHeader) {
    const std::vector<uint8_t> gif = {'G',  'I',  'F',  '8', '9', 'a', 0x20,
                                      0x03, 0x58, 0x02, 0,   0,   0};
    ScratchFile f(gif);
    SizeFilter filter{800, 600, nullptr};
    EXPECT_TRUE(passesSizeFilter(f.path(), filter));
    filter.minHeight = 601;
    EXPECT_FALSE(passesSizeFilter(f.path(), filter));
    DecodeError reason = DecodeError::None;
    EXPECT_FALSE(passesSizeFilter(L"C:\\no\\such\\folder\\picture.gif", filter, &reason));
    EXPECT_EQ(reason, DecodeError::OpenFailed);
    filter.minWidth = filter.minHeight = 0;
    EXPECT_TRUE(passesSizeFilter(L"C:\\no\\such\\folder\\picture.gif", filter));
}

}  // namespace
