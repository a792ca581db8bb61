#include <windows.h>
#include <shlobj.h>

#include <string>
#include <string_view>
#include <vector>

#include "base/input_file.h"
#include "base/output_file.h"
#include "base/path.h"
#include "settings/profile_text.h"
#include "settings/settings_file.h"
#include "settings/settings_keys.h"

namespace {

std::wstring g_path;

const wchar_t kProgramName[] = L"Tolvex.exe";
const wchar_t kFolderName[] = L"Tolvex";
const wchar_t kFileName[] = L"Tolvex.ini";
const wchar_t kCalendarSection[] = L"Cal";
const wchar_t kFolderSection[] = L"TWin";
const wchar_t kFolderListSection[] = L"FolderList";
const wchar_t kPathSection[] = L"Path";

// More than any settings file the program writes (eight lists of 5,000
// entries take under 10 MB). A larger file is not read.
constexpr uint64_t kMaxFileBytes = 64u << 20;

bool isDirectory(const std::wstring& p) {
    DWORD a = GetFileAttributesW(p.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool isFile(const std::wstring& p) {
    DWORD a = GetFileAttributesW(p.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring multiByteText(std::string_view bytes, UINT codePage) {
    if (bytes.empty()) return {};
    const int size = static_cast<int>(bytes.size());
    const int n = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
    if (n <= 0) return {};
    std::wstring text(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), size, text.data(), n);
    return text;
}

// The file's bytes as text, decoded as the byte-order mark says (the ANSI
// code page without one), as the profile calls read them.
std::wstring decodeFileText(std::string_view text) {
    const DetectedEncoding found = detectEncoding(text);
    text.remove_prefix(found.markBytes);
    switch (found.encoding) {
        case TextEncoding::Utf16Le:
            return utf16Text(text, false);
        case TextEncoding::Utf16Be:
            return utf16Text(text, true);
        case TextEncoding::Utf8:
            return multiByteText(text, CP_UTF8);
        case TextEncoding::Ansi:
            break;
    }
    return multiByteText(text, CP_ACP);
}

// The file's text, read whole in one read and decoded as its byte-order mark
// says (the ANSI code page without one), as the profile calls read it; empty
// when there is no file. False when a file is there but cannot be read
// (another program holds it, a read error) or is too large.
bool readFileText(const std::wstring& path, std::wstring& out) {
    out.clear();
    InputFile file;
    if (!file.open(path.c_str()))
        return GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES;
    if (file.size() > kMaxFileBytes) return false;
    std::string bytes(static_cast<size_t>(file.size()), '\0');
    if (file.readAt(0, bytes.data(), bytes.size()) != bytes.size()) return false;
    out = decodeFileText(bytes);
    return true;
}

// The settings file as the start read it. loadSettings reads the file whole
// once; the folder window's keys, the lists' entries and a headless run's
// entry and date mark are then served from here. A write through this module
// ends it, so that a later read sees the file as it is then; so does asking
// twice for a list whose entries were handed over (and let go of here).
struct StartReading {
    std::wstring path;
    bool valid = false;
    std::vector<ProfileSectionText> sections;
    bool handedOver[kListCount] = {};
};
StartReading g_start;
// A settings file that was there but could not be read when the start read
// it: the window then shows defaults, not the user's lists, so the closing
// save must not put them in its place.
bool g_unreadableAtStart = false;

void readStart() {
    g_start = StartReading{};
    g_start.path = g_path;
    std::wstring text;
    if (!readFileText(g_path, text)) g_unreadableAtStart = true;
    g_start.sections = parseProfileText(text);
    g_start.valid = true;
}

void endStartReading() { g_start = StartReading{}; }

std::vector<ProfileSectionText>& startSections() {
    if (!g_start.valid || g_start.path != g_path) readStart();
    return g_start.sections;
}

std::vector<ProfileEntry>* startLines(std::wstring_view section) {
    ProfileSectionText* found = findSection(startSections(), section);
    return found ? &found->entries : nullptr;
}

std::vector<ProfileEntry>* startListLines(int list) {
    if (g_start.valid && g_start.handedOver[list]) endStartReading();
    return startLines(listSectionName(list));
}

// A missing file is created as UTF-16 with a byte-order mark before the first
// single-key write: the profile calls would create it in the ANSI code page,
// which loses every character of a path outside it, and they keep the
// encoding of a file they find.
const wchar_t kBom[] = L"\xFEFF";

void ensureFileExists(const std::wstring& path) {
    if (isFile(path)) return;
    OutputFile file;
    if (file.create(path.c_str())) static_cast<void>(file.write(kBom, sizeof(wchar_t)));
}

void writeKey(const wchar_t* section, const wchar_t* key, const std::wstring& value) {
    WritePrivateProfileStringW(section, key, value.c_str(), g_path.c_str());
}

// The closing save's folder list: the registered folders that still exist,
// under gapless keys.
std::vector<ProfileEntry> folderListLines(const Settings& s) {
    std::vector<ProfileEntry> lines;
    for (size_t i = 0; i < s.registeredFolders.size() && i < kMaxRegisteredFolders; ++i) {
        const std::wstring& f = s.registeredFolders[i];
        if (f.empty()) break;
        if (isDirectory(f)) lines.emplace_back(decimal(static_cast<int64_t>(lines.size())), f);
    }
    return lines;
}

// The sections the closing save rewrites whole; everything else in the file
// (Cal, and sections this version does not know) is carried over.
bool rewrittenSection(const std::wstring& name) {
    if (sameKey(name, kFolderSection) || sameKey(name, kFolderListSection) ||
        sameKey(name, kPathSection) || sameKey(name, kWallpaperSection))
        return true;
    for (int i = 0; i < kListCount; ++i)
        if (sameKey(name, listSectionName(i))) return true;
    return false;
}

// The file the closing save leaves, from the file as it is now: the kept
// sections in their places (the first Cal updated key by key), then TWin,
// FolderList, WP (the date mark as the file has it), the eight lists and
// Path, which is the order writing them one by one would give.
std::wstring closingSaveText(std::vector<ProfileSectionText> old,
                             const std::vector<std::wstring> (&entries)[kListCount]) {
    Settings& s = g_settings;
    std::vector<ProfileEntry> wp;
    const ProfileSectionText* oldWp = findSection(old, kWallpaperSection);
    for (const wchar_t* key : kDateMarkKeys) {
        const std::wstring* v = oldWp ? findValue(oldWp->entries, key) : nullptr;
        wp.emplace_back(key, decimal(v ? parseProfileInt(*v) : 0));
    }
    if (s.ListHold) s.activeList = s.shownList;
    s.ActList = s.activeList;
    for (auto& line : sectionLines(s, kWallpaperSection)) wp.push_back(std::move(line));

    std::vector<ProfileSectionText> doc;
    bool haveCal = false;
    bool haveResident = false;
    for (ProfileSectionText& section : old) {
        if (rewrittenSection(section.name)) continue;
        if (!haveCal && sameKey(section.name, kCalendarSection)) {
            mergeKeys(section.entries, sectionLines(s, kCalendarSection));
            haveCal = true;
        }
        // Resident mode's keys are updated where the file has them; a file
        // without them gets them only once they differ from the defaults.
        if (!haveResident && sameKey(section.name, kResidentSection)) {
            mergeKeys(section.entries, sectionLines(s, kResidentSection));
            haveResident = true;
        }
        doc.push_back(std::move(section));
    }
    doc.push_back({kFolderSection, sectionLines(s, kFolderSection)});
    doc.push_back({kFolderListSection, folderListLines(s)});
    doc.push_back({kWallpaperSection, std::move(wp)});
    if (!haveCal) doc.push_back({kCalendarSection, sectionLines(s, kCalendarSection)});
    for (int i = 0; i < kListCount; ++i) {
        s.lists[i].Count = static_cast<int32_t>(entries[i].size());
        doc.push_back({listSectionName(i), listLines(s.lists[i], entries[i])});
    }
    doc.push_back({kPathSection, sectionLines(s, kPathSection)});
    if (!haveResident && !residentDefaults(s))
        doc.push_back({kResidentSection, sectionLines(s, kResidentSection)});
    return std::wstring(kBom) + serializeProfile(doc);
}

SaveInterruptHook g_interruptHook = nullptr;

// The system's text for an error code, without its line break.
std::wstring systemMessage(uint32_t code) {
    wchar_t text[512];
    DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             code, 0, text, 512, nullptr);
    while (n > 0 && (text[n - 1] == L'\r' || text[n - 1] == L'\n' || text[n - 1] == L' ')) --n;
    if (n == 0) return L"エラー番号 " + decimal(code);
    return std::wstring(text, n);
}

}  // namespace

void setSaveInterruptHookForTesting(SaveInterruptHook hook) { g_interruptHook = hook; }

const std::wstring& settingsFilePath() { return g_path; }

std::wstring settingsFolder() { return std::wstring(folderWithSeparator(g_path)); }

void setSettingsFilePathForTesting(const std::wstring& path) {
    g_path = path;
    g_unreadableAtStart = false;
    endStartReading();
}

std::wstring settingsFileFor(const std::wstring& exePath) {
    if (lstrcmpiW(std::wstring(fileNameOf(exePath)).c_str(), kProgramName) != 0) return {};

    const std::wstring candidate = std::wstring(folderWithSeparator(exePath)) + kFileName;
    if (isFile(candidate)) return candidate;

    wchar_t appData[MAX_PATH];
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData)))
        return candidate;
    const std::wstring folder = std::wstring(appData) + L"\\" + kFolderName;
    if (!isDirectory(folder)) CreateDirectoryW(folder.c_str(), nullptr);
    std::wstring path = folder + L"\\" + kFileName;
    if (path.size() >= MAX_PATH) return candidate;
    return path;
}

bool locateSettingsFile() {
    wchar_t exe[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return false;
    g_path = settingsFileFor(exe);
    endStartReading();
    return !g_path.empty();
}

void readToday() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    LocalDate& d = g_settings.today;
    d.year = t.wYear;
    d.month = t.wMonth;
    d.day = t.wDay;
    d.dayOfWeek = t.wDayOfWeek;
    d.hour = t.wHour;
    d.minute = t.wMinute;
    d.second = t.wSecond;
}

void loadSettings() {
    Settings& s = g_settings;
    // Whether this read could be had decides what a closing save may do
    // with the lists it gives.
    g_unreadableAtStart = false;
    endStartReading();
    readStart();
    const MachineDefaults machine{windowScreenWidth(s),
                                  static_cast<ColorRef>(GetSysColor(COLOR_BACKGROUND))};
    for (const wchar_t* section :
         {kCalendarSection, kWallpaperSection, kPathSection, kResidentSection})
        loadSection(s, section, startLines(section), machine);
    s.activeList = s.shownList = s.ActList;
    for (int i = 0; i < kListCount; ++i) loadListKeys(s.lists[i], i, startListLines(i));
    readToday();
}

void loadFolderSettings() {
    Settings& s = g_settings;
    loadSection(s, kFolderSection, startLines(kFolderSection), MachineDefaults{});
    s.minAddWidth = s.PresetW[s.AddImgSize];
    s.minAddHeight = s.PresetH[s.AddImgSize];

    s.registeredFolders.clear();
    if (!isFile(g_path)) {
        // First run: the user's picture folder is registered to start with.
        wchar_t pictures[MAX_PATH];
        if (SUCCEEDED(
                SHGetFolderPathW(nullptr, CSIDL_MYPICTURES, nullptr, SHGFP_TYPE_CURRENT, pictures)))
            s.registeredFolders.emplace_back(pictures);
        return;
    }
    const std::vector<ProfileEntry>* folders = startLines(kFolderListSection);
    for (int i = 0; folders && i < kMaxRegisteredFolders; ++i) {
        const std::wstring* v = findValue(*folders, decimal(i));
        if (!v || v->empty()) break;
        std::wstring path = v->substr(0, kMaxPathChars - 1);
        if (isDirectory(path)) s.registeredFolders.push_back(path);
    }
}

std::vector<std::wstring> loadListEntries(int list) {
    std::vector<std::wstring> out;
    if (list < 0 || list >= kListCount || g_settings.lists[list].Count <= 0) return out;
    std::vector<ProfileEntry>* lines = startListLines(list);
    if (!lines) return out;
    const std::vector<const std::wstring*> byIndex =
        listEntriesByIndex(*lines, g_settings.lists[list].Count);
    out.reserve(byIndex.size());
    for (const std::wstring* v : byIndex)
        out.push_back(v ? v->substr(0, kMaxPathChars - 1) : std::wstring());
    // The window holds the entries from now on: let go of this copy.
    std::vector<ProfileEntry>().swap(*lines);
    g_start.handedOver[list] = true;
    return out;
}

std::wstring readListEntry(int list, int index) {
    if (list < 0 || list >= kListCount || index < 0) return {};
    const std::vector<ProfileEntry>* lines = startListLines(list);
    const std::wstring* v = lines ? findValue(*lines, decimal(index)) : nullptr;
    return v ? unquotedValue(*v) : std::wstring();
}

DateMark readDateMark() {
    // As the single-key integer call reads them: quotes dropped, missing or
    // empty reads 0.
    const std::vector<ProfileEntry>* wp = startLines(kWallpaperSection);
    int parts[3] = {};
    for (int i = 0; i < 3; ++i) {
        const std::wstring* v = wp ? findValue(*wp, kDateMarkKeys[i]) : nullptr;
        parts[i] = v ? parseProfileInt(unquotedValue(*v)) : 0;
    }
    return {parts[0], parts[1], parts[2]};
}

void writeDateMark(int y, int m, int d) {
    ensureFileExists(g_path);
    const int parts[3] = {y, m, d};
    for (int i = 0; i < 3; ++i) writeKey(kWallpaperSection, kDateMarkKeys[i], decimal(parts[i]));
    endStartReading();
}

void clearDateMark() {
    ensureFileExists(g_path);
    writeKey(kWallpaperSection, kDateMarkKeys[0], L"0");
    endStartReading();
}

void recordWallpaperChoice() {
    const Settings& s = g_settings;
    ensureFileExists(g_path);
    if (!s.ListHold) writeKey(kWallpaperSection, L"ActList", decimal(s.activeList));
    writeKey(listSectionName(s.activeList).c_str(), kListPositionKey,
             decimal(s.lists[s.activeList].WPNum));
    writeDateMark(s.today.year, s.today.month, s.today.day);
}

std::wstring readFileKey(const wchar_t* section, const wchar_t* key) {
    const std::vector<ProfileEntry>* lines = startLines(section);
    const std::wstring* value = lines ? findValue(*lines, key) : nullptr;
    return value ? unquotedValue(*value) : std::wstring();
}

void writeFileKey(const wchar_t* section, const wchar_t* key, const std::wstring& value) {
    endStartReading();
    ensureFileExists(g_path);
    writeKey(section, key, value);
}

void removeFileSection(const wchar_t* section) {
    endStartReading();
    WritePrivateProfileStringW(section, nullptr, nullptr, g_path.c_str());
}

bool saveAllSettings(const std::vector<std::wstring> (&entries)[kListCount], SaveFailure* why) {
    // The old file is read (for the date mark, Cal and the sections this
    // version does not know); the new content goes into a copy beside it,
    // every write checked, and the copy replaces the file in one step. A
    // process killed half-way leaves the old file whole, and the new file is
    // UTF-16 whatever the old one was.
    auto fail = [why](SaveFailure::Step step, DWORD error) {
        if (why) *why = SaveFailure{step, error};
        return false;
    };
    std::wstring old;
    const bool readable = readFileText(g_path, old);
    const DWORD readError = readable ? 0 : GetLastError();
    endStartReading();
    if (g_unreadableAtStart) return fail(SaveFailure::Step::Unreadable, ERROR_READ_FAULT);
    if (!readable) return fail(SaveFailure::Step::Read, readError ? readError : ERROR_READ_FAULT);
    const std::wstring text = closingSaveText(parseProfileText(old), entries);
    const std::wstring temp = g_path + L".new";
    OutputFile out;
    if (!out.create(temp.c_str())) return fail(SaveFailure::Step::Folder, GetLastError());
    bool written = out.write(text.data(), text.size() * sizeof(wchar_t)) && out.flush();
    DWORD error = written ? 0 : GetLastError();
    if (!out.close() && written) {
        written = false;
        error = GetLastError();
    }
    if (!written) {
        DeleteFileW(temp.c_str());
        return fail(SaveFailure::Step::Write, error ? error : ERROR_WRITE_FAULT);
    }
    if (g_interruptHook && g_interruptHook())
        return fail(SaveFailure::Step::Replace, ERROR_OPERATION_ABORTED);
    if (!MoveFileExW(temp.c_str(), g_path.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        error = GetLastError();
        DeleteFileW(temp.c_str());
        return fail(SaveFailure::Step::Replace, error);
    }
    return true;
}

std::wstring describeSaveFailure(const SaveFailure& failure) {
    std::wstring text;
    switch (failure.step) {
        case SaveFailure::Step::Folder:
            text = L"設定を保存できませんでした。フォルダ「" + settingsFolder() +
                   L"」に新しいファイルを作成できません。";
            break;
        case SaveFailure::Step::Write:
            text = L"設定を保存できませんでした。設定ファイル「" + g_path +
                   L"」の新しい内容を書き込めません。";
            break;
        case SaveFailure::Step::Read:
            text = L"設定を保存できませんでした。設定ファイル「" + g_path + L"」を読み込めません。";
            break;
        case SaveFailure::Step::Unreadable:
            text = L"設定ファイル「" + g_path +
                   L"」を読み込めなかったため、上書きせずにそのまま残しました。"
                   L"このあいだの変更は保存されていません。";
            break;
        case SaveFailure::Step::Replace:
            text = L"設定を保存できませんでした。設定ファイル「" + g_path +
                   L"」を新しい内容に置き換えられません。";
            break;
    }
    return text + L"\n" + systemMessage(failure.error);
}
