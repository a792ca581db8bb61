#include "support/plugin_fixture.h"

#include <windows.h>

#include <cstring>

#include "support/harness.h"

namespace harness {

std::string tvxBytes(const TvxPicture& p) {
    std::string out;
    if (p.prefix128) out.assign(128, '\x5A');
    out += p.otherMagic ? "WRNG" : "TVX1";
    out += static_cast<char>(p.mode);
    out += static_cast<char>(p.bits);
    out += static_cast<char>(p.shortSize & 0xFF);
    out += static_cast<char>(p.shortSize >> 8);
    for (int32_t v : {p.width, p.height})
        for (int i = 0; i < 4; ++i)
            out += static_cast<char>((static_cast<uint32_t>(v) >> (8 * i)) & 0xFF);
    out += p.rows;
    return out;
}

void installTestPlugins(const std::wstring& folder) {
    const std::wstring from = testFolder();
    const wchar_t* names[][2] = {{L"test_plugin_0.spi", L"tvx.spi"},
                                 {L"test_plugin_1.spi", L"twin.spi"},
                                 {L"test_plugin_2.spi", L"oldver.spi"},
                                 {L"test_plugin_3.spi", L"noinfo.spi"}};
    for (auto& n : names)
        CopyFileW((from + L"\\" + n[0]).c_str(), (folder + L"\\" + n[1]).c_str(), FALSE);
    writeBytes(folder + L"\\notalibrary.spi", "this is text, not a library");
}

void installEndlessPlugin(const std::wstring& folder, bool repeating) {
    const std::wstring from =
        testFolder() + (repeating ? L"\\test_plugin_4.spi" : L"\\test_plugin_5.spi");
    CopyFileW(from.c_str(), (folder + L"\\endless.spi").c_str(), FALSE);
}

std::vector<std::string> pluginCalls(const std::wstring& folder) {
    std::vector<std::string> calls;
    const std::string text = readBytes(folder + L"\\calls.log");
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find("\r\n", start);
        if (end == std::string::npos) end = text.size();
        calls.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return calls;
}

void clearPluginCalls(const std::wstring& folder) {
    DeleteFileW((folder + L"\\calls.log").c_str());
}

}  // namespace harness
