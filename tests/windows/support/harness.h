// Helpers for Windows-side tests: temporary folders, the real Tolvex.exe
// started as a user would start it, and its windows and message boxes seen
// as a user sees them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

namespace harness {

// Folder of the running test executable (Tolvex.exe is built beside it).
std::wstring testFolder();

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::wstring& path() const { return path_; }
    std::wstring file(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

void removeTree(const std::wstring& path);

// Copies the built Tolvex.exe into `folder` under `name`; returns its path.
std::wstring copyTolvex(const std::wstring& folder, const std::wstring& name = L"Tolvex.exe");

class Process {
public:
    Process() = default;
    ~Process();
    Process(Process&& o) noexcept;
    Process& operator=(Process&&) = delete;
    Process(const Process&) = delete;

    // Starts `exe` with the raw argument text, in the exe's folder.
    static Process start(const std::wstring& exe, const std::wstring& arguments = L"",
                         int showCommand = SW_SHOWNORMAL);
    bool valid() const { return info_.hProcess != nullptr; }
    DWORD id() const { return info_.dwProcessId; }
    // Exit code, or nothing if it has not ended within the time.
    std::optional<DWORD> wait(DWORD milliseconds);
    void kill();

private:
    PROCESS_INFORMATION info_{};
};

// Runs to completion (killing it after the timeout); the exit code or nothing.
std::optional<DWORD> run(const std::wstring& exe, const std::wstring& arguments = L"",
                         DWORD timeoutMs = 30000);

// A top-level window of the process with this class (and title, when given),
// waited for up to `timeoutMs`.
HWND waitForWindow(DWORD processId, const wchar_t* className, const wchar_t* title,
                   DWORD timeoutMs);

// The text a message box shows, read from its static control.
std::wstring messageBoxText(HWND box);
// Presses the box's OK button.
void dismissMessageBox(HWND box);

// Files: UTF-16 with a byte-order mark, or raw bytes.
void writeUtf16File(const std::wstring& path, const std::wstring& text);
void writeBytes(const std::wstring& path, const std::string& bytes);
// The bytes of a 24-bit BMP file of w x h pixels, all of one colour.
std::string uniformBmp(int w, int h, uint8_t r, uint8_t g, uint8_t b);
std::string readBytes(const std::wstring& path);
// The file's text, decoded by its byte-order mark (UTF-16) or as ANSI.
std::wstring readText(const std::wstring& path);
bool fileExists(const std::wstring& path);

// One key through the profile calls; `fallback` when missing.
std::wstring iniValue(const std::wstring& file, const wchar_t* section, const wchar_t* key,
                      const wchar_t* fallback = L"<missing>");

}  // namespace harness
