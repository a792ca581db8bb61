// The plug-in bridge against real libraries built for the tests: which
// libraries are used, the patterns they declare (and how long they are asked
// for them), the offset-128 prefix, the paths they are given, the checks on
// what a plug-in hands back, and that the bridge stays untouched when no
// usable plug-in folder is set.
#include "decode/plugin.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "base/page_alloc.h"
#include "decode/decoders.h"
#include "decode/size_probe.h"
#include "support/harness.h"
#include "support/plugin_fixture.h"
#include "tests/native/support/decode_error_print.h"

using harness::TvxMode;
using harness::TvxPicture;

namespace {

class PluginBridge : public ::testing::Test {
protected:
    void SetUp() override {
        spi_ = pictures_.path() + L"\\spi";
        CreateDirectoryW(spi_.c_str(), nullptr);
        harness::installTestPlugins(spi_);
    }

    std::wstring picture(const wchar_t* name, const TvxPicture& p) {
        const std::wstring path = pictures_.file(name);
        harness::writeBytes(path, harness::tvxBytes(p));
        return path;
    }

    // Decodes through the bridge; the pixel block becomes the test's to free.
    struct Result {
        bool ok = false;
        DecodeError error = DecodeError::None;
        LoadedImage image{};
        bool libraryLeftLoaded = false;
    };
    Result decode(const std::wstring& path) {
        Result r;
        {
            DecoderState state;
            LoadedImage* image = decodeWithPlugin(path.c_str(), spi_.c_str(), state);
            r.ok = image != nullptr;
            r.error = state.error;
            if (image) r.image = *image;
        }
        r.libraryLeftLoaded = GetModuleHandleW((spi_ + L"\\tvx.spi").c_str()) != nullptr;
        return r;
    }
    harness::TempFolder pictures_;
    std::wstring spi_;
};

TvxPicture greyPicture() {
    TvxPicture p;
    p.bits = 8;
    p.width = 3;
    p.height = 2;
    p.rows = std::string("\x10\x20\x30\x00\x40\x50\x60\x00", 8);
    return p;
}

}  // namespace

TEST_F(PluginBridge, PatternsAreListedOnceLowerCasedAndWithoutBuiltInExtensions) {
    const std::vector<std::wstring> patterns = listPluginPatterns(spi_.c_str());
    auto count = [&](const wchar_t* p) { return std::count(patterns.begin(), patterns.end(), p); };
    EXPECT_EQ(count(L"*.tvx"), 1);  // declared by both good libraries, once upper-case
    EXPECT_EQ(count(L"*.pic"), 1);
    EXPECT_EQ(count(L"*.abc"), 1);
    EXPECT_EQ(patterns.size(), 3u);  // no *.jpg, *.png, nor the bad libraries' *.wrong

    EXPECT_TRUE(matchesPluginPattern(L"C:\\a\\b.TVX", patterns));
    EXPECT_FALSE(matchesPluginPattern(L"C:\\a.tvx\\b", patterns));
    EXPECT_TRUE(listPluginPatterns(L"").empty());
    EXPECT_TRUE(listPluginPatterns((spi_ + L"\\missing").c_str()).empty());
}

TEST_F(PluginBridge, DecodesIntoAPageBlockWithHeaderAndPalette) {
    const Result r = decode(picture(L"grey.tvx", greyPicture()));
    ASSERT_TRUE(r.ok);
    EXPECT_FALSE(r.libraryLeftLoaded);
    EXPECT_EQ(r.image.header.biSize, 40u);
    EXPECT_EQ(r.image.header.biWidth, 3);
    EXPECT_EQ(r.image.header.biHeight, 2);
    EXPECT_EQ(r.image.header.biBitCount, 8);
    EXPECT_EQ(r.image.palette[255].rgbRed, 255);
    EXPECT_EQ(r.image.palette[1].rgbGreen, 1);
    EXPECT_EQ(std::memcmp(r.image.bits, "\x10\x20\x30\x00\x40\x50\x60\x00", 8), 0);
    pageFree(r.image.bits);
    const auto calls = harness::pluginCalls(spi_);
    EXPECT_EQ(calls, (std::vector<std::string>{"info 0", "picture 0"}));
}

TEST_F(PluginBridge, AFileTakenOnlyBehindTheFirst128BytesIsReadAtOffset128) {
    TvxPicture p = greyPicture();
    p.prefix128 = true;
    const Result r = decode(picture(L"prefixed.tvx", p));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.image.bits[4], 0x40);
    pageFree(r.image.bits);
    EXPECT_EQ(harness::pluginCalls(spi_), (std::vector<std::string>{"info 128", "picture 128"}));
}

TEST_F(PluginBridge, OneByOneTwentyFourBitsCopiesItsFourBytes) {
    TvxPicture p;
    p.bits = 24;
    p.rows = std::string("\x01\x02\x03\x7F", 4);
    const Result r = decode(picture(L"one.tvx", p));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(std::memcmp(r.image.bits, "\x01\x02\x03\x7F", 4), 0);
    EXPECT_EQ(r.image.bits[4], 0);
    pageFree(r.image.bits);
}

TEST_F(PluginBridge, AShortBitsBlockFillsOnlyTheStartOfAWholePixelBlock) {
    TvxPicture p;
    p.mode = TvxMode::ShortBits;
    p.bits = 8;
    p.width = 64;
    p.height = 128;  // two pages of pixels, of which the plug-in hands back 6 bytes
    p.shortSize = 6;
    p.rows = std::string(8192, '\x77');
    const Result r = decode(picture(L"short.tvx", p));
    ASSERT_TRUE(r.ok);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(r.image.bits[i], 0x77) << i;
    // Every row the header promises is there to read, zero past the copy.
    for (int i = 6; i < 8192; ++i) ASSERT_EQ(r.image.bits[i], 0) << i;
    pageFree(r.image.bits);
}

TEST_F(PluginBridge, PicturesTheProgramCannotTrustAreRefusedAndEverythingIsReleased) {
    struct Case {
        const wchar_t* name;
        TvxMode mode;
        int bits;
        DecodeError reason;
    } cases[] = {
        {L"compressed.tvx", TvxMode::Compressed, 8, DecodeError::UnsupportedCompression},
        {L"topdown.tvx", TvxMode::TopDown, 8, DecodeError::SideOutOfRange},
        {L"sixteen.tvx", TvxMode::AsGiven, 16, DecodeError::UnsupportedBitDepth},
        {L"thirtytwo.tvx", TvxMode::AsGiven, 32, DecodeError::UnsupportedBitDepth},
        {L"oversized.tvx", TvxMode::Oversized, 8, DecodeError::SideOutOfRange},
        {L"failed.tvx", TvxMode::Fail, 8, DecodeError::PluginFailed},
        {L"tinyinfo.tvx", TvxMode::TinyInfo, 8, DecodeError::Truncated},
    };
    for (const Case& c : cases) {
        TvxPicture p;
        p.mode = c.mode;
        p.bits = c.bits;
        p.width = 2;
        p.height = 2;
        p.rows = std::string(16, '\x11');
        const Result r = decode(picture(c.name, p));
        EXPECT_FALSE(r.ok) << c.name;
        EXPECT_EQ(r.error, c.reason) << c.name;
        EXPECT_FALSE(r.libraryLeftLoaded) << c.name;
    }
}

TEST_F(PluginBridge, LibrariesOfAnotherVersionOrWithoutInfoArePassedOver) {
    TvxPicture p = greyPicture();
    p.otherMagic = true;  // only the two bad libraries would take it
    const std::wstring path = picture(L"bad.wrong", p);
    EXPECT_EQ(decode(path).error, DecodeError::NoPlugin);
    int32_t w = -1, h = -1;
    DecodeError reason = DecodeError::None;
    EXPECT_FALSE(probeWithPlugin(path.c_str(), spi_.c_str(), w, h, &reason));
    EXPECT_EQ(reason, DecodeError::NoPlugin);
    EXPECT_EQ(w, 0);
    EXPECT_EQ(h, 0);
    EXPECT_TRUE(harness::pluginCalls(spi_).empty());
}

TEST_F(PluginBridge, ProbeReportsThePluginsSize) {
    TvxPicture p = greyPicture();
    p.prefix128 = true;
    const std::wstring path = picture(L"probe.tvx", p);
    int32_t w = 0, h = 0;
    EXPECT_TRUE(probeWithPlugin(path.c_str(), spi_.c_str(), w, h));
    EXPECT_EQ(w, 3);
    EXPECT_EQ(h, 2);
    EXPECT_EQ(harness::pluginCalls(spi_), std::vector<std::string>{"info 128"});
    DecodeError reason = DecodeError::None;
    EXPECT_FALSE(
        probeWithPlugin(pictures_.file(L"absent.tvx").c_str(), spi_.c_str(), w, h, &reason));
    EXPECT_EQ(reason, DecodeError::OpenFailed);
    EXPECT_FALSE(probeWithPlugin(path.c_str(), L"", w, h, &reason));
    EXPECT_EQ(reason, DecodeError::NoPlugin);
}

TEST_F(PluginBridge, TheDispatcherUsesPluginsOnlyWithAnExistingFolder) {
    const std::wstring path = picture(L"dispatch.tvx", greyPicture());
    for (const std::wstring& unusable : {std::wstring(), spi_ + L"\\missing"}) {
        DecodeError reason = DecodeError::None;
        EXPECT_FALSE(loadImageFile(path.c_str(), unusable.c_str(), &reason));
        EXPECT_EQ(reason, DecodeError::UnknownFormat);
    }
    EXPECT_FALSE(loadImageFile(path.c_str(), nullptr));
    EXPECT_TRUE(harness::pluginCalls(spi_).empty());

    ASSERT_TRUE(loadImageFile(path.c_str(), spi_.c_str()));
    EXPECT_EQ(CurrentImage.header.biWidth, 3);
    EXPECT_EQ(CurrentImage.bits[5], 0x50);
    pageFree(CurrentImage.bits);
    CurrentImage.bits = nullptr;
}

TEST_F(PluginBridge, TheRealProgramMakesAWallpaperFromAPluginPictureWithS) {
    harness::TempFolder install;
    const std::wstring exe = harness::copyTolvex(install.path());
    const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    TvxPicture p;
    p.bits = 24;
    p.width = sw;
    p.height = sh;
    p.prefix128 = true;
    const uint32_t stride = (3u * sw + 3) & ~3u;
    p.rows.assign(size_t{stride} * sh, '\0');
    for (int y = 0; y < sh; ++y)
        for (int x = 0; x < sw; ++x) {
            char* px = &p.rows[size_t{stride} * y + 3 * x];
            px[0] = '\x30';  // blue, green, red
            px[1] = '\x60';
            px[2] = '\x90';
        }
    const std::wstring path = picture(L"wallpaper.tvx", p);
    harness::writeUtf16File(install.file(L"Tolvex.ini"),
                            L"[WP]\r\nCalendar=0\r\nStyleB=1\r\nListHold=1\r\n[Path]\r\nSPI=" +
                                spi_ + L"\r\n[List]\r\nCount=1\r\nWPNum=-1\r\n0=" + path + L"\r\n");
    for (int i = 0; i < 500 && FindWindowW(L"Tolvex_main_class", nullptr); ++i) Sleep(20);
    ASSERT_TRUE(harness::run(exe, L"/s", 60000).has_value());

    const std::string out = harness::readBytes(install.file(L"save_wp.bmp"));
    ASSERT_EQ(out.size(), 54u + size_t{stride} * sh);
    const size_t centre = 54 + size_t{stride} * (sh / 2) + 3 * (sw / 2);
    EXPECT_EQ(out.substr(centre, 3), "\x30\x60\x90");
    EXPECT_EQ(harness::iniValue(install.file(L"Tolvex.ini"), L"List", L"WPNum"), L"0");
    const auto calls = harness::pluginCalls(spi_);
    EXPECT_NE(std::find(calls.begin(), calls.end(), "picture 128"), calls.end());
}

TEST_F(PluginBridge, TheSizeFilterAsksThePluginsForFilesOfNoBuiltInFormat) {
    TvxPicture p = greyPicture();  // 3 x 2
    const std::wstring path = picture(L"filter.tvx", p);
    SizeFilter filter{3, 2, spi_.c_str()};
    EXPECT_TRUE(passesSizeFilter(path.c_str(), filter));
    filter.minHeight = 3;
    DecodeError reason = DecodeError::OpenFailed;
    EXPECT_FALSE(passesSizeFilter(path.c_str(), filter, &reason));
    EXPECT_EQ(reason, DecodeError::None);  // measured, and too small
    filter.minHeight = 2;
    filter.pluginFolder = L"";
    EXPECT_FALSE(passesSizeFilter(path.c_str(), filter, &reason));
    EXPECT_EQ(reason, DecodeError::UnknownFormat);
}

// A plug-in whose information call answers every number, the same text or a
// new one each time, is asked a bounded number of times; what it declared
// before is kept.
TEST_F(PluginBridge, APluginThatKeepsAnsweringIsNotAskedForEver) {
    for (bool repeating : {true, false}) {
        SCOPED_TRACE(repeating ? "same text" : "new texts");
        harness::TempFolder folder;
        harness::installEndlessPlugin(folder.path(), repeating);
        const std::vector<std::wstring> patterns = listPluginPatterns(folder.path().c_str());
        EXPECT_EQ(patterns, std::vector<std::wstring>{L"*.zzz"});
        // The version call, then the pattern texts: up to the first repeat,
        // or up to the bound.
        const size_t asked = harness::pluginCalls(folder.path()).size();
        EXPECT_EQ(asked, repeating ? 3u : 1u + kMaxPatternTexts);
    }
}

// U+0109 is not in the test system's ANSI code page, and its best fit there
// is "c": the file must reach the plug-in by its short name, never as the
// "c.tvx" beside it.
TEST_F(PluginBridge, APathOutsideTheAnsiCodePageGoesByItsShortName) {
    const std::wstring path = picture(L"\u0109.tvx", greyPicture());  // 3 x 2
    TvxPicture other = greyPicture();
    other.width = 5;
    other.height = 1;
    picture(L"c.tvx", other);
    const Result r = decode(path);
    ASSERT_TRUE(r.ok) << testing::PrintToString(r.error);
    EXPECT_EQ(r.image.header.biWidth, 3);
    EXPECT_EQ(r.image.header.biHeight, 2);
    pageFree(r.image.bits);
    int32_t w = 0, h = 0;
    EXPECT_TRUE(probeWithPlugin(path.c_str(), spi_.c_str(), w, h));
    EXPECT_EQ(w, 3);
}
