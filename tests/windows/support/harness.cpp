#include "harness.h"

#include <vector>

#include "image/bmp_file.h"
#include "image/loaded_image.h"

namespace harness {

std::wstring testFolder() {
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p(path, n);
    return p.substr(0, p.find_last_of(L"\\/"));
}

TempFolder::TempFolder() {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    static LONG counter = 0;
    for (;;) {
        wchar_t name[64];
        wsprintfW(name, L"tvx%lu_%ld", GetCurrentProcessId(), InterlockedIncrement(&counter));
        path_ = std::wstring(base) + name;
        if (CreateDirectoryW(path_.c_str(), nullptr)) break;
    }
}

TempFolder::~TempFolder() { removeTree(path_); }

void removeTree(const std::wstring& path) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((path + L"\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = fd.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring full = path + L"\\" + name;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                removeTree(full);
            } else {
                SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(full.c_str());
            }
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryW(path.c_str());
}

std::wstring copyTolvex(const std::wstring& folder, const std::wstring& name) {
    std::wstring target = folder + L"\\" + name;
    CopyFileW((testFolder() + L"\\Tolvex.exe").c_str(), target.c_str(), FALSE);
    return target;
}

Process::~Process() {
    if (info_.hProcess) CloseHandle(info_.hProcess);
    if (info_.hThread) CloseHandle(info_.hThread);
}

Process::Process(Process&& o) noexcept : info_(o.info_) { o.info_ = {}; }

Process Process::start(const std::wstring& exe, const std::wstring& arguments, int showCommand) {
    Process p;
    std::wstring commandLine = L"\"" + exe + L"\"";
    if (!arguments.empty()) commandLine += L" " + arguments;
    std::wstring folder = exe.substr(0, exe.find_last_of(L"\\/"));
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = static_cast<WORD>(showCommand);
    std::vector<wchar_t> buf(commandLine.begin(), commandLine.end());
    buf.push_back(L'\0');
    if (!CreateProcessW(exe.c_str(), buf.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &si, &p.info_))
        p.info_ = {};
    return p;
}

std::optional<DWORD> Process::wait(DWORD milliseconds) {
    if (!info_.hProcess) return std::nullopt;
    if (WaitForSingleObject(info_.hProcess, milliseconds) != WAIT_OBJECT_0) return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    return code;
}

void Process::kill() {
    if (!info_.hProcess) return;
    TerminateProcess(info_.hProcess, 99);
    WaitForSingleObject(info_.hProcess, 5000);
}

std::optional<DWORD> run(const std::wstring& exe, const std::wstring& arguments, DWORD timeoutMs) {
    Process p = Process::start(exe, arguments);
    auto code = p.wait(timeoutMs);
    if (!code) p.kill();
    return code;
}

namespace {
struct FindRequest {
    DWORD pid;
    const wchar_t* className;
    const wchar_t* title;
    HWND found;
};

BOOL CALLBACK findWindowOfProcess(HWND hwnd, LPARAM lp) {
    auto* req = reinterpret_cast<FindRequest*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != req->pid) return TRUE;
    wchar_t cls[256];
    GetClassNameW(hwnd, cls, 256);
    if (lstrcmpW(cls, req->className) != 0) return TRUE;
    if (req->title) {
        wchar_t title[256];
        GetWindowTextW(hwnd, title, 256);
        if (lstrcmpW(title, req->title) != 0) return TRUE;
    }
    req->found = hwnd;
    return FALSE;
}
}  // namespace

HWND waitForWindow(DWORD processId, const wchar_t* className, const wchar_t* title,
                   DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        FindRequest req{processId, className, title, nullptr};
        EnumWindows(findWindowOfProcess, reinterpret_cast<LPARAM>(&req));
        if (req.found) return req.found;
        if (GetTickCount() - start > timeoutMs) return nullptr;
        Sleep(50);
    }
}

std::wstring messageBoxText(HWND box) {
    // A message box shows its text in the static control with id 0xFFFF.
    HWND text = GetDlgItem(box, 0xFFFF);
    if (!text) return std::wstring();
    wchar_t buf[1024] = {};
    SendMessageW(text, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buf));
    return buf;
}

void dismissMessageBox(HWND box) { PostMessageW(box, WM_COMMAND, IDOK, 0); }

void writeBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
}

void writeUtf16File(const std::wstring& path, const std::wstring& text) {
    std::wstring withBom = L"\xFEFF" + text;
    writeBytes(path, std::string(reinterpret_cast<const char*>(withBom.data()),
                                 withBom.size() * sizeof(wchar_t)));
}

std::string readBytes(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return std::string();
    std::string out;
    char buf[65536];
    DWORD got = 0;
    while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0) out.append(buf, got);
    CloseHandle(h);
    return out;
}

std::wstring readText(const std::wstring& path) {
    std::string bytes = readBytes(path);
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE)
        return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data() + 2),
                            (bytes.size() - 2) / 2);
    int n =
        MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(), n);
    return out;
}

bool fileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring iniValue(const std::wstring& file, const wchar_t* section, const wchar_t* key,
                      const wchar_t* fallback) {
    wchar_t buf[1024];
    GetPrivateProfileStringW(section, key, fallback, buf, 1024, file.c_str());
    return buf;
}

std::string uniformBmp(int w, int h, uint8_t r, uint8_t g, uint8_t b) {
    const dib::BITMAPINFOHEADER header = dib::bottomUpHeader(w, h, 24);
    std::string pixels(pixelBlockSize(w, h, 24), '\0');
    const size_t stride = rowStride(w, 24);
    for (size_t row = 0; row < pixels.size(); row += stride)
        for (size_t x = 0; x < size_t(w); ++x) {
            pixels[row + 3 * x] = static_cast<char>(b);
            pixels[row + 3 * x + 1] = static_cast<char>(g);
            pixels[row + 3 * x + 2] = static_cast<char>(r);
        }
    std::string bytes(bmpFileBytes(header), '\0');
    if (!buildBmpFile(header, nullptr, reinterpret_cast<const uint8_t*>(pixels.data()),
                      reinterpret_cast<uint8_t*>(bytes.data()), bytes.size()))
        bytes.clear();
    return bytes;
}

}  // namespace harness
