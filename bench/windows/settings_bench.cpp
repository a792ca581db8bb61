// Saving eight lists of 5,000 entries (100-character paths) and reading them
// back, as the closing save and the next start do. Target: each under one
// second. The read is timed in a fresh process, as the next start of the
// program reads what the last one saved.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "base/owners_win.h"
#include "settings/settings_file.h"

namespace {

constexpr int kEntries = 5000;
constexpr int kRounds = 3;

double now() {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return double(c.QuadPart) / double(f.QuadPart);
}

std::wstring benchFile() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    return std::wstring(temp) + L"tolvex_settings_bench.ini";
}

int readBack() {
    setSettingsFilePathForTesting(benchFile());
    const double t0 = now();
    g_settings.screenWidth = 1920;
    loadSettings();
    loadFolderSettings();
    size_t loaded = 0;
    for (int l = 0; l < kListCount; ++l) loaded += loadListEntries(l).size();
    const double t1 = now();
    std::printf("%.4f %u\n", t1 - t0, static_cast<unsigned>(loaded));
    return 0;
}

// Runs this program again with --read and parses its one line.
bool timeReadInChild(double& seconds, unsigned& loaded) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
    UniqueHandle readEnd, writeEnd;
    if (!CreatePipe(readEnd.put(), writeEnd.put(), &sa, 0)) return false;
    SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = writeEnd.get();
    si.hStdError = writeEnd.get();
    std::wstring cmd = L"\"" + std::wstring(self) + L"\" --read";
    PROCESS_INFORMATION pi;
    const BOOL ok =
        CreateProcessW(self, cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
    writeEnd.reset();  // the child holds the only write end now
    if (!ok) return false;
    const UniqueHandle process(pi.hProcess), thread(pi.hThread);
    std::string out;
    char buf[256];
    DWORD got;
    while (ReadFile(readEnd.get(), buf, sizeof buf, &got, nullptr) && got) out.append(buf, got);
    WaitForSingleObject(process.get(), INFINITE);
    return std::sscanf(out.c_str(), "%lf %u", &seconds, &loaded) == 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "--read") return readBack();

    const std::wstring ini = benchFile();
    DeleteFileW(ini.c_str());
    setSettingsFilePathForTesting(ini);
    g_settings.screenWidth = 1920;
    g_settings.screenHeight = 1080;
    loadSettings();

    std::vector<std::wstring> entries[kListCount];
    for (int l = 0; l < kListCount; ++l) {
        for (int i = 0; i < kEntries; ++i) {
            wchar_t name[64];
            wsprintfW(name, L"\\list%d\\picture_%05d.jpg", l, i);
            std::wstring path = L"C:\\Users\\someone\\Pictures\\Wallpapers\\Collection";
            path += name;
            path.insert(path.size() - 4, std::wstring(100 - path.size(), L'x'));
            entries[l].push_back(path);
        }
    }

    double worstSave = 0, worstRead = 0;
    unsigned loaded = 0;
    for (int r = 0; r < kRounds; ++r) {
        const double t0 = now();
        if (!saveAllSettings(entries)) {
            std::printf("save failed\n");
            return 1;
        }
        worstSave = std::max(worstSave, now() - t0);
        double read = 0;
        if (!timeReadInChild(read, loaded)) {
            std::printf("read-back process failed\n");
            return 1;
        }
        worstRead = std::max(worstRead, read);
    }
    WIN32_FILE_ATTRIBUTE_DATA attrs;
    GetFileAttributesExW(ini.c_str(), GetFileExInfoStandard, &attrs);
    std::printf("settings file: %d lists x %d entries of 100 characters, %lu bytes\n", kListCount,
                kEntries, attrs.nFileSizeLow);
    std::printf("closing save, all lists (worst of %d): %.3f s  (target < 1 s)\n", kRounds,
                worstSave);
    std::printf("start-up read, all lists (worst of %d): %.3f s  (target < 1 s), %u entries\n",
                kRounds, worstRead, loaded);
    DeleteFileW(ini.c_str());
    return loaded == unsigned{kListCount} * kEntries ? 0 : 1;
}
