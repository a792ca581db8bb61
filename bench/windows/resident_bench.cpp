// The resident process at rest: the real Tolvex.exe started with "/s" in
// resident mode, measured once its first change is done and again after a
// minute of idling (TOLVEX_IDLE_SECONDS to change it): working set, private
// bytes, and the processor time spent in between. Target: no processor time
// at rest, and no picture held (the working set far below the peak of the
// change).
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/owners_win.h"
#include "res/control_ids.h"

namespace {

std::wstring folderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\')); }

void writeFile(const std::wstring& path, const void* data, size_t size) {
    const UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (file) WriteFile(file.get(), data, static_cast<DWORD>(size), &written, nullptr);
}

// A screen-sized 24-bit BMP of one colour.
void writePicture(const std::wstring& path, int w, int h, uint8_t r, uint8_t g, uint8_t b) {
    const size_t stride = (3 * size_t(w) + 3) & ~size_t(3);
    std::string bytes(54 + stride * h, '\0');
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(v >> (8 * i));
    };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put32(2, static_cast<uint32_t>(bytes.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<uint32_t>(w));
    put32(22, static_cast<uint32_t>(h));
    put32(26, 1 | (24u << 16));
    for (size_t row = 0; row < size_t(h); ++row)
        for (size_t x = 0; x < size_t(w); ++x) {
            char* p = &bytes[54 + row * stride + 3 * x];
            p[0] = static_cast<char>(b);
            p[1] = static_cast<char>(g);
            p[2] = static_cast<char>(r);
        }
    writeFile(path, bytes.data(), bytes.size());
}

struct Sample {
    double cpuSeconds;
    double workingSetMb, peakWorkingSetMb, privateMb;
};

Sample sample(HANDLE process) {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(process, &created, &exited, &kernel, &user);
    auto seconds = [](const FILETIME& t) {
        return double((uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime) / 1e7;
    };
    PROCESS_MEMORY_COUNTERS m = {};
    m.cb = sizeof m;
    GetProcessMemoryInfo(process, &m, sizeof m);
    constexpr double kMb = 1024.0 * 1024.0;
    return {seconds(kernel) + seconds(user), m.WorkingSetSize / kMb, m.PeakWorkingSetSize / kMb,
            m.PagefileUsage / kMb};
}

std::string readWhole(const std::wstring& path) {
    const UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, 0, nullptr));
    if (!file) return {};
    std::string text(8192, '\0');
    DWORD n = 0;
    if (!ReadFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &n, nullptr)) return {};
    text.resize(n);
    return text;
}

// Under Wine the process's own counters say little about another process
// (its times are not kept up to date), so the host's view is read too: the
// Linux process whose command line names the benchmark's folder, through
// the drive Wine maps to "/".
std::wstring hostProcessFolder() {
    WIN32_FIND_DATAW found;
    const UniqueFind find(FindFirstFileW(L"Z:\\proc\\*", &found));
    if (!find) return {};
    do {
        if (found.cFileName[0] < L'0' || found.cFileName[0] > L'9') continue;
        const std::wstring folder = std::wstring(L"Z:\\proc\\") + found.cFileName;
        const std::string command = readWhole(folder + L"\\cmdline");
        if (command.find("tolvex_resident_bench") != std::string::npos &&
            command.find("Tolvex.exe") != std::string::npos)
            return folder;
    } while (FindNextFileW(find.get(), &found));
    return {};
}

// Processor seconds (user and system) and resident megabytes from the host.
bool hostSample(const std::wstring& folder, double& cpuSeconds, double& rssMb) {
    if (folder.empty()) return false;
    const std::string stat = readWhole(folder + L"\\stat");
    const size_t close = stat.rfind(')');
    if (close == std::string::npos) return false;
    // Fields after the command's closing parenthesis: state is the 3rd
    // field, utime and stime the 14th and 15th.
    unsigned long long utime = 0, stime = 0;
    if (std::sscanf(stat.c_str() + close + 2,
                    "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %llu %llu", &utime, &stime) != 2)
        return false;
    cpuSeconds = double(utime + stime) / 100.0;
    const std::string status = readWhole(folder + L"\\status");
    const size_t at = status.find("VmRSS:");
    rssMb = at == std::string::npos ? 0 : std::atof(status.c_str() + at + 6) / 1024.0;
    return true;
}

std::wstring g_hostFolder;

void print(const char* when, const Sample& s) {
    double hostCpu = 0, hostRss = 0;
    if (hostSample(g_hostFolder, hostCpu, hostRss)) {
        std::printf("%-34s %8.3f %10.2f %10.2f %10.2f %10.2f %10.2f\n", when, s.cpuSeconds,
                    s.workingSetMb, s.peakWorkingSetMb, s.privateMb, hostCpu, hostRss);
        return;
    }
    std::printf("%-34s %8.3f %10.2f %10.2f %10.2f\n", when, s.cpuSeconds, s.workingSetMb,
                s.peakWorkingSetMb, s.privateMb);
}

}  // namespace

int main() {
    const char* idleText = std::getenv("TOLVEX_IDLE_SECONDS");
    const int idleSeconds = idleText ? std::atoi(idleText) : 60;
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring dir = std::wstring(temp) + L"tolvex_resident_bench";
    CreateDirectoryW(dir.c_str(), nullptr);
    const std::wstring exe = dir + L"\\Tolvex.exe";
    if (!CopyFileW((folderOf(self) + L"\\Tolvex.exe").c_str(), exe.c_str(), FALSE)) {
        std::printf("Tolvex.exe not found beside the benchmark\n");
        return 1;
    }
    const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    writePicture(dir + L"\\a.bmp", sw, sh, 200, 60, 0);
    writePicture(dir + L"\\b.bmp", sw, sh, 0, 60, 200);
    const std::wstring ini =
        L"\xFEFF[WP]\r\nCalendar=1\r\nCycle=0\r\nListHold=1\r\n[List]\r\n"
        L"Count=2\r\nWPNum=-1\r\n0=" +
        dir + L"\\a.bmp\r\n1=" + dir + L"\\b.bmp\r\n[Resident]\r\nOn=1\r\n";
    writeFile(dir + L"\\Tolvex.ini", ini.data(), ini.size() * sizeof(wchar_t));
    const std::wstring output = dir + L"\\save_wp.bmp";
    DeleteFileW(output.c_str());

    std::wstring commandLine = L"\"" + exe + L"\" /s";
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        dir.c_str(), &si, &pi)) {
        std::printf("Tolvex.exe could not be started\n");
        return 1;
    }
    const UniqueHandle process(pi.hProcess);
    const UniqueHandle thread(pi.hThread);
    HWND resident = nullptr;
    for (int i = 0;
         i < 400 && !(resident && GetFileAttributesW(output.c_str()) != INVALID_FILE_ATTRIBUTES);
         ++i) {
        Sleep(50);
        resident = FindWindowW(L"Tolvex_main_class", L"Tolvex_resident");
    }
    if (!resident) {
        std::printf("no resident window\n");
        TerminateProcess(process.get(), 1);
        return 1;
    }
    Sleep(1000);  // the date mark written after the file
    std::printf("Resident Tolvex.exe at %dx%d, one change made, then %d s idle\n", sw, sh,
                idleSeconds);
    g_hostFolder = hostProcessFolder();
    std::printf("%-34s %8s %10s %10s %10s %10s %10s\n", "", "CPU s", "WS MB", "peak WS", "private",
                "host CPU s", "host RSS");
    const Sample started = sample(process.get());
    print("just started (after its change)", started);
    Sleep(static_cast<DWORD>(idleSeconds) * 1000);
    const Sample idle = sample(process.get());
    print("after idling", idle);
    std::printf("processor time while idle: %.3f s over %d s\n",
                idle.cpuSeconds - started.cpuSeconds, idleSeconds);

    // "次の壁紙" once more: the working set after a change, its peak meanwhile.
    PostMessageW(resident, WM_COMMAND, IDM_RESIDENT_NEXT, 0);
    Sleep(3000);
    print("3 s after another change", sample(process.get()));

    PostMessageW(resident, WM_COMMAND, IDM_RESIDENT_EXIT, 0);
    if (WaitForSingleObject(process.get(), 10000) != WAIT_OBJECT_0)
        TerminateProcess(process.get(), 1);
    return 0;
}
