// Sniffing by content, the extension table, and loadImageFile's hand-over
// into CurrentImage (and its leaving CurrentImage alone on failure).
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/page_alloc.h"
#include "decode/decoders.h"
#include "support/bmp_maker.h"
#include "support/decode_error_print.h"
#include "support/image_access.h"
#include "support/test_files.h"

namespace {

std::vector<uint8_t> bytes(std::initializer_list<int> b) {
    std::vector<uint8_t> v;
    for (int x : b) v.push_back(static_cast<uint8_t>(x));
    return v;
}

// Saves CurrentImage and puts it back.
class CurrentImageGuard {
public:
    CurrentImageGuard() { std::memcpy(&saved_, &CurrentImage, sizeof saved_); }
    ~CurrentImageGuard() { std::memcpy(&CurrentImage, &saved_, sizeof saved_); }

private:
    LoadedImage saved_;
};

}  // namespace

TEST(Sniff, FormatComesFromTheFirstBytes) {
    TempDir dir;
    const std::vector<uint8_t> png = bytes({0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0});
    struct Case {
        const char* name;
        std::vector<uint8_t> content;
        ImageFormat want;
    };
    const Case cases[] = {
        {"a.png", bytes({'B', 'M', 0}), ImageFormat::Bmp},
        {"b.bmp", png, ImageFormat::Png},  // the name does not matter
        {"c", bytes({0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0B}), ImageFormat::Unknown},
        {"d", bytes({0x89, 'P', 'N', 'G', 0x0D}), ImageFormat::Unknown},
        {"e", bytes({0x89, 'P', 'N'}), ImageFormat::ReadError},
        {"f", bytes({0x89, 'P'}), ImageFormat::ReadError},
        {"g", bytes({0xFF, 0xD8}), ImageFormat::Jpeg},
        {"h", bytes({'G', 'I', 'F', '8', '9', 'a'}), ImageFormat::Gif},
        {"i", bytes({'G', 'I', 'F'}), ImageFormat::Gif},
        {"j", bytes({'G', 'I', 'X'}), ImageFormat::Unknown},
        {"k", bytes({'G', 'I'}), ImageFormat::ReadError},
        {"l", bytes({'I', 'I', 0x2A, 0}), ImageFormat::Tiff},
        {"m", bytes({'I', 'I', 0x2B, 0}), ImageFormat::Unknown},
        {"n", bytes({'I', 'I'}), ImageFormat::ReadError},
        {"o", bytes({'M', 'M', 0, 0x2A}), ImageFormat::Tiff},
        {"p", bytes({'M', 'M', 0x2A, 0}), ImageFormat::Unknown},
        {"q", bytes({'M', 'M', 0}), ImageFormat::ReadError},
        {"r", bytes({}), ImageFormat::ReadError},
        {"s", bytes({'B'}), ImageFormat::Unknown},
        {"t", bytes({'P', 'K', 3, 4}), ImageFormat::Unknown},
        {"u", bytes({'R', 'I', 'F', 'F', 9, 0, 0, 0, 'W', 'E', 'B', 'P'}), ImageFormat::Webp},
        {"v", bytes({'R', 'I', 'F', 'F', 9, 0, 0, 0, 'W', 'A', 'V', 'E'}), ImageFormat::Unknown},
        {"w", bytes({'R', 'I', 'F', 'F', 9, 0, 0, 0, 'W', 'E', 'B'}), ImageFormat::ReadError},
        {"x", bytes({'R', 'I', 'G', 'H', 'T'}), ImageFormat::Unknown},
        {"y", bytes({'R', 'I', 'F'}), ImageFormat::ReadError},
    };
    for (const Case& c : cases)
        EXPECT_EQ(sniffImageFormat(dir.write(c.name, c.content).c_str()), c.want) << c.name;
    EXPECT_EQ(sniffImageFormat(dir.path("missing").c_str()), ImageFormat::Unknown);
}

TEST(Sniff, ExtensionTable) {
    EXPECT_EQ(formatFromExtension(L".png"), ImageFormat::Png);
    EXPECT_EQ(formatFromExtension(L".GIF"), ImageFormat::Gif);
    EXPECT_EQ(formatFromExtension(L".Bmp"), ImageFormat::Bmp);
    EXPECT_EQ(formatFromExtension(L".tif"), ImageFormat::Tiff);
    EXPECT_EQ(formatFromExtension(L".TIFF"), ImageFormat::Tiff);
    EXPECT_EQ(formatFromExtension(L".jpe"), ImageFormat::Jpeg);
    EXPECT_EQ(formatFromExtension(L".JPEG"), ImageFormat::Jpeg);
    // One list for every caller: ".jpg" is in it like the others.
    EXPECT_EQ(formatFromExtension(L".jpg"), ImageFormat::Jpeg);
    EXPECT_EQ(formatFromExtension(L".WebP"), ImageFormat::Webp);
    for (const wchar_t* e : {L"", L".", L"png", L".pn", L".pngx", L".tiffs", L".spi"})
        EXPECT_EQ(formatFromExtension(e), ImageFormat::Unknown);
    EXPECT_EQ(formatFromExtension(nullptr), ImageFormat::Unknown);
    // The order in which a folder scan tries them.
    EXPECT_EQ(builtInPatternList(),
              L"*.bmp;*.png;*.jpg;*.jpe;*.jpeg;*.tif;*.tiff;*.gif;*.webp;*.avif");
}

TEST(LoadImageFile, HandsThePictureOver) {
    CurrentImageGuard guard;
    TempDir dir;
    testbmp::BmpLayout s;
    s.bits = 4;
    s.width = 5;
    s.height = 3;
    const std::wstring eight = dir.write(
        "pal.bmp", testbmp::make(s, [](int x, int y) { return uint32_t(x + y * 5) & 15; }));
    ASSERT_TRUE(loadImageFile(eight.c_str(), nullptr));
    EXPECT_EQ(CurrentImage.header.biBitCount, 8);
    EXPECT_EQ(CurrentImage.header.biWidth, 5);
    EXPECT_EQ(CurrentImage.header.biHeight, 3);
    EXPECT_EQ(rgbAt(CurrentImage, 4, 2), testbmp::testColour(14));
    dib::RGBQUAD palette[256];
    std::memcpy(palette, CurrentImage.palette, sizeof palette);
    pageFree(CurrentImage.bits);

    // A 24-bit picture leaves the previous palette in the slot.
    s.bits = 24;
    s.width = 2;
    s.height = 2;
    const std::wstring rgb = dir.write(
        "rgb.png", testbmp::make(s, [](int x, int y) { return 0x102030u * (x + 2 * y); }));
    ASSERT_TRUE(loadImageFile(rgb.c_str(), nullptr));
    EXPECT_EQ(CurrentImage.header.biBitCount, 24);
    EXPECT_EQ(CurrentImage.header.biWidth, 2);
    EXPECT_EQ(rgbAt(CurrentImage, 1, 1), 0x102030u * 3);
    EXPECT_EQ(std::memcmp(palette, CurrentImage.palette, sizeof palette), 0);
    pageFree(CurrentImage.bits);
}

TEST(LoadImageFile, FailureLeavesCurrentImageAlone) {
    CurrentImageGuard guard;
    TempDir dir;
    std::memset(&CurrentImage, 0x5A, sizeof CurrentImage);
    LoadedImage before;
    std::memcpy(&before, &CurrentImage, sizeof before);

    testbmp::BmpLayout rle;
    rle.bits = 8;
    rle.compression = 1;
    const struct {
        std::wstring path;
        DecodeError reason;
    } files[] = {
        {dir.path("missing.bmp"), DecodeError::OpenFailed},
        {dir.write("empty.bmp", {}), DecodeError::EmptyFile},
        {dir.write("rle.bmp", testbmp::make(rle, [](int, int) { return 0u; })),
         DecodeError::UnsupportedCompression},
        {dir.write("text.bmp", bytes({'h', 'e', 'l', 'l', 'o'})), DecodeError::UnknownFormat},
        {dir.write("short.bmp", bytes({'B', 'M', 0, 0})), DecodeError::Truncated},
        {dir.write("tiff.bmp", bytes({'I', 'I', 0x2A, 0, 1})), DecodeError::Truncated},
        {dir.write("gi", bytes({'G', 'I'})), DecodeError::Truncated},
    };
    // With a plug-in folder that exists, the plug-in road is tried and finds
    // nothing either; the reason stays the built-in decoder's when the
    // content named one.
    const std::wstring folders[] = {std::wstring(), dir.dir().wstring(), dir.path("nowhere")};
    for (const std::wstring& spi : folders) {
        const bool usable = spi == dir.dir().wstring();
        for (const auto& f : files) {
            DecodeError reason = DecodeError::None;
            EXPECT_FALSE(loadImageFile(f.path.c_str(), spi.c_str(), &reason));
            const bool pluginsAsked = usable && f.reason == DecodeError::UnknownFormat;
            EXPECT_EQ(reason, pluginsAsked ? DecodeError::NoPlugin : f.reason) << f.path;
            EXPECT_EQ(std::memcmp(&before, &CurrentImage, sizeof before), 0);
        }
    }
    EXPECT_FALSE(loadImageFile(nullptr, nullptr));
}
