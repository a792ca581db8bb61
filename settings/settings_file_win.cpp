#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "settings/profile_text.h"
#include "settings/settings_file.h"

namespace {

std::wstring g_path;

const wchar_t kFileBase[] = L"Tolvex";
const wchar_t kFileExt[] = L".ini";

bool isDirectory(const std::wstring& p) {
    DWORD a = GetFileAttributesW(p.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool isFile(const std::wstring& p) {
    DWORD a = GetFileAttributesW(p.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring folderOf(const std::wstring& path) {
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

// Reads a whole section. The call reports a buffer that was too small by
// returning size - 2, so the buffer grows until the section fits.
ProfileSection readSection(const wchar_t* section, const std::wstring& file) {
    std::vector<wchar_t> buf(32 * 1024);
    for (;;) {
        DWORD got = GetPrivateProfileSectionW(section, buf.data(), static_cast<DWORD>(buf.size()),
                                              file.c_str());
        if (got + 2 < buf.size() || buf.size() >= (1u << 28)) {
            return ProfileSection(parseSectionBuffer(buf.data(), got));
        }
        buf.resize(buf.size() * 4);
    }
}

void writeSection(const wchar_t* section, const std::vector<ProfileEntry>& entries,
                  const std::wstring& file) {
    if (entries.empty()) return;
    const std::wstring text = buildSectionBuffer(entries);
    WritePrivateProfileSectionW(section, text.c_str(), file.c_str());
}

void deleteSection(const wchar_t* section, const std::wstring& file) {
    WritePrivateProfileStringW(section, nullptr, nullptr, file.c_str());
}

bool writeWholeFile(const std::wstring& path, const void* data, DWORD size) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = WriteFile(h, data, size, &written, nullptr) && written == size;
    ok = FlushFileBuffers(h) && ok;
    CloseHandle(h);
    return ok;
}

bool readWholeFile(const std::wstring& path, std::string& out) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size;
    bool ok = GetFileSizeEx(h, &size) && size.QuadPart < (1LL << 30);
    if (ok) {
        out.resize(static_cast<size_t>(size.QuadPart));
        DWORD total = 0;
        while (ok && total < out.size()) {
            DWORD got = 0;
            ok = ReadFile(h, out.data() + total, static_cast<DWORD>(out.size() - total), &got,
                          nullptr) &&
                 got > 0;
            total += got;
        }
    }
    CloseHandle(h);
    return ok;
}

const wchar_t kBom[] = L"\xFEFF";

// The profile calls create a missing file in the ANSI code page, which loses
// every character of a path outside it; a file that starts as UTF-16 with a
// byte-order mark stays UTF-16. So the file is created that way before any
// first write.
void ensureFileExists(const std::wstring& path) {
    if (!isFile(path)) writeWholeFile(path, kBom, sizeof(wchar_t));
}

// The content of `path` as UTF-16 with a byte-order mark: copied as it is
// when it already is, converted from UTF-8 or the ANSI code page otherwise.
// A missing file gives just the mark.
std::wstring unicodeImage(const std::wstring& path) {
    std::string bytes;
    std::wstring text(kBom);
    if (!readWholeFile(path, bytes) || bytes.empty()) return text;
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        text.assign(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
        return text;
    }
    UINT codePage = CP_ACP;
    size_t skip = 0;
    if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        codePage = CP_UTF8;
        skip = 3;
    }
    int n = MultiByteToWideChar(codePage, 0, bytes.data() + skip,
                                static_cast<int>(bytes.size() - skip), nullptr, 0);
    if (n > 0) {
        std::wstring converted(static_cast<size_t>(n), L'\0');
        MultiByteToWideChar(codePage, 0, bytes.data() + skip, static_cast<int>(bytes.size() - skip),
                            converted.data(), n);
        text += converted;
    }
    return text;
}

std::vector<ProfileEntry> calendarKeys(const Settings& s) {
    const CalendarStyle& c = s.cal;
    std::vector<ProfileEntry> e = {
        {L"FaceA", c.FaceA},
        {L"FaceS", c.FaceS},
        {L"CharSet", decimal(c.CharSet)},
        {L"FtSize", decimal(c.FtSize)},
        {L"DaySpace", decimal(c.DaySpace)},
        {L"Weight", decimal(c.Weight)},
        {L"Italic", decimal(c.Italic)},
        {L"YearDisp", decimal(c.YearDisp)},
        {L"YearPos", decimal(c.YearPos)},
        {L"MonthName", decimal(c.MonthName)},
        {L"MonthShort", decimal(c.MonthShort)},
        {L"DispMonth", decimal(c.DispMonth)},
        {L"YearMonth", decimal(static_cast<int32_t>(c.YearMonth))},
        {L"Weekday", decimal(static_cast<int32_t>(c.Weekday))},
        {L"Saturday", decimal(static_cast<int32_t>(c.Saturday))},
        {L"Sunday", decimal(static_cast<int32_t>(c.Sunday))},
        {L"Holiday", decimal(static_cast<int32_t>(c.Holiday))},
        {L"TextShadow", decimal(static_cast<int32_t>(c.TextShadow))},
        {L"TodayPen", decimal(static_cast<int32_t>(c.TodayPen))},
        {L"TodayNot", decimal(c.TodayNot)},
        {L"CalPosX", decimal(c.CalPosX)},
        {L"CalPosY", decimal(c.CalPosY)},
    };
    for (int i = 0; i < 16; ++i) {
        wchar_t key[8];
        wsprintfW(key, L"CRGB%02d", i);
        e.emplace_back(key, decimal(static_cast<int32_t>(s.CRGB[i])));
    }
    return e;
}

// The closing save's steps, done on `file` (the temporary copy).
void saveFolderSettingsTo(const std::wstring& file) {
    deleteSection(L"TWin", file);
    deleteSection(L"FolderList", file);
    const Settings& s = g_settings;
    std::vector<ProfileEntry> twin;
    for (int i = 0; i < 5; ++i) {
        twin.emplace_back(L"PresetW" + decimal(i), decimal(s.PresetW[i]));
        twin.emplace_back(L"PresetH" + decimal(i), decimal(s.PresetH[i]));
    }
    twin.emplace_back(L"AddImgSize", decimal(s.AddImgSize));
    twin.emplace_back(L"DTExpand", decimal(s.DTExpand));
    twin.emplace_back(L"LRExpand", decimal(s.LRExpand));
    writeSection(L"TWin", twin, file);

    std::vector<ProfileEntry> folders;
    for (size_t i = 0; i < s.registeredFolders.size() && i < kMaxRegisteredFolders; ++i) {
        const std::wstring& f = s.registeredFolders[i];
        if (f.empty()) break;
        if (isDirectory(f)) folders.emplace_back(decimal(static_cast<int64_t>(folders.size())), f);
    }
    writeSection(L"FolderList", folders, file);
}

void saveSettingsTo(const std::wstring& file,
                    const std::vector<std::wstring> (&entries)[kListCount]) {
    Settings& s = g_settings;
    const ProfileSection oldWp = readSection(L"WP", file);
    const int32_t y = oldWp.getInt(L"y", 0), m = oldWp.getInt(L"m", 0), d = oldWp.getInt(L"d", 0);

    deleteSection(L"Path", file);
    deleteSection(L"WP", file);
    for (int i = 0; i < kListCount; ++i) deleteSection(listSectionName(i).c_str(), file);

    if (s.ListHold) s.activeList = s.shownList;
    std::vector<ProfileEntry> wp = {
        {L"y", decimal(y)},
        {L"m", decimal(m)},
        {L"d", decimal(d)},
        {L"BgColor", decimal(static_cast<int32_t>(s.BgColor))},
        {L"Random", decimal(s.Random)},
        {L"Calendar", decimal(s.Calendar)},
        {L"StyleS", decimal(s.StyleS)},
        {L"StyleB", decimal(s.StyleB)},
        {L"WpOptS0", decimal(s.WpOptS0)},
        {L"WpOptS1", decimal(s.WpOptS1)},
        {L"WpOptB0", decimal(s.WpOptB0)},
        {L"WpOptB1", decimal(s.WpOptB1)},
        {L"Cycle", decimal(s.Cycle)},
        {L"ListHold", decimal(s.ListHold)},
        {L"ToolTip", decimal(s.ToolTip)},
        {L"WheelSel", decimal(s.WheelSel)},
        {L"WpNoChg", decimal(s.WpNoChg)},
        {L"ActList", decimal(s.activeList)},
    };
    writeSection(L"WP", wp, file);

    // Cal is never deleted: keys this version does not know survive.
    std::vector<ProfileEntry> cal = readSection(L"Cal", file).entries();
    mergeKeys(cal, calendarKeys(s));
    writeSection(L"Cal", cal, file);

    for (int i = 0; i < kListCount; ++i) {
        const auto& items = entries[i];
        WallpaperList& list = s.lists[i];
        list.Count = static_cast<int32_t>(items.size());
        std::vector<ProfileEntry> section;
        section.reserve(items.size() + 3);
        section.emplace_back(L"Count", decimal(list.Count));
        section.emplace_back(L"WPNum", decimal(list.WPNum));
        section.emplace_back(L"Name", list.Name);
        for (size_t k = 0; k < items.size(); ++k)
            section.emplace_back(decimal(static_cast<int64_t>(k)), items[k]);
        writeSection(listSectionName(i).c_str(), section, file);
    }

    writeSection(L"Path", {{L"SPI", s.SPI}}, file);
}

SaveInterruptHook g_interruptHook = nullptr;

}  // namespace

void setSaveInterruptHookForTesting(SaveInterruptHook hook) { g_interruptHook = hook; }

const std::wstring& settingsFilePath() { return g_path; }

std::wstring settingsFolder() { return folderOf(g_path); }

void setSettingsFilePathForTesting(const std::wstring& path) { g_path = path; }

std::wstring listSectionName(int list) {
    return list == 0 ? std::wstring(L"List") : L"List" + decimal(list + 1);
}

std::wstring settingsFileFor(const std::wstring& exePath) {
    size_t slash = exePath.find_last_of(L"\\/");
    const std::wstring name = slash == std::wstring::npos ? exePath : exePath.substr(slash + 1);
    if (lstrcmpiW(name.c_str(), L"Tolvex.exe") != 0) return std::wstring();

    const std::wstring candidate = folderOf(exePath) + kFileBase + kFileExt;
    if (isFile(candidate)) return candidate;

    wchar_t appData[MAX_PATH];
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData)))
        return candidate;
    std::wstring folder = std::wstring(appData) + L"\\" + kFileBase;
    if (!isDirectory(folder)) CreateDirectoryW(folder.c_str(), nullptr);
    std::wstring path = folder + L"\\" + kFileBase + kFileExt;
    if (path.size() >= MAX_PATH) return candidate;
    return path;
}

bool locateSettingsFile() {
    wchar_t exe[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return false;
    g_path = settingsFileFor(exe);
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
    const std::wstring& f = g_path;

    const ProfileSection cal = readSection(L"Cal", f);
    CalendarStyle& c = s.cal;
    c.YearMonth = static_cast<ColorRef>(cal.getInt(L"YearMonth", 12648447));
    c.Weekday = static_cast<ColorRef>(cal.getInt(L"Weekday", 16777215));
    c.Saturday = static_cast<ColorRef>(cal.getInt(L"Saturday", 16769152));
    c.Sunday = static_cast<ColorRef>(cal.getInt(L"Sunday", 12615935));
    c.Holiday = static_cast<ColorRef>(cal.getInt(L"Holiday", 12615935));
    c.TextShadow = static_cast<ColorRef>(cal.getInt(L"TextShadow", 0));
    c.TodayPen = static_cast<ColorRef>(cal.getInt(L"TodayPen", 49152));
    c.TodayNot = cal.getFlag(L"TodayNot", 1);
    c.CalPosX = cal.getInt(L"CalPosX", s.screenWidth - 136);
    c.CalPosY = cal.getInt(L"CalPosY", 10);
    c.FaceA = cal.getString(L"FaceA", L"MS UI Gothic");
    c.FaceS = cal.getString(L"FaceS", L"MS UI Gothic");
    c.CharSet = static_cast<uint8_t>(cal.getInt(L"CharSet", 128));
    c.FtSize = clampInt(cal.getInt(L"FtSize", 10), 8, 36);
    c.DaySpace = clampInt(cal.getInt(L"DaySpace", 4), 2, 36);
    c.Weight = cal.getInt(L"Weight", 400);
    c.Italic = cal.getFlag(L"Italic", 0);
    c.YearDisp = cal.getFlag(L"YearDisp", 1);
    c.YearPos = cal.getFlag(L"YearPos", 0);
    c.MonthName = cal.getFlag(L"MonthName", 0);
    c.MonthShort = cal.getFlag(L"MonthShort", 0);
    c.DispMonth = clampInt(cal.getInt(L"DispMonth", 1), 1, 3);
    for (int i = 0; i < 16; ++i) {
        wchar_t key[8];
        wsprintfW(key, L"CRGB%02d", i);
        s.CRGB[i] = static_cast<ColorRef>(cal.getInt(key, 16777215));
    }

    const ProfileSection wp = readSection(L"WP", f);
    s.BgColor = static_cast<ColorRef>(
        wp.getInt(L"BgColor", static_cast<int32_t>(GetSysColor(COLOR_BACKGROUND))));
    s.Random = wp.getFlag(L"Random", 0);
    s.Calendar = wp.getFlag(L"Calendar", 1);
    s.StyleS = wp.getInt(L"StyleS", 0);
    s.StyleB = wp.getFlag(L"StyleB", 1);
    s.WpOptS0 = wp.getFlag(L"WpOptS0", 1);
    s.WpOptS1 = wp.getFlag(L"WpOptS1", 0);
    s.WpOptB0 = wp.getFlag(L"WpOptB0", 1);
    s.WpOptB1 = wp.getFlag(L"WpOptB1", 0);
    s.Cycle = wp.getFlag(L"Cycle", 0);
    s.ListHold = wp.getFlag(L"ListHold", 0);
    s.ToolTip = wp.getFlag(L"ToolTip", 1);
    s.WheelSel = wp.getFlag(L"WheelSel", 0);
    s.WpNoChg = wp.getFlag(L"WpNoChg", 0);
    s.ActList = wp.getInt(L"ActList", 0);
    if (s.ActList < 0 || s.ActList >= kListCount) s.ActList = 0;
    s.activeList = s.shownList = s.ActList;

    // Only the three small keys of each list: the entries stay in the file
    // until the main window asks for them.
    for (int i = 0; i < kListCount; ++i) {
        wchar_t buf[kMaxPathChars];
        const std::wstring section = listSectionName(i);
        WallpaperList& list = s.lists[i];
        list.Count = static_cast<int32_t>(
            GetPrivateProfileIntW(section.c_str(), L"Count", 0, f.c_str()));
        GetPrivateProfileStringW(section.c_str(), L"WPNum", L"-1", buf, kMaxPathChars, f.c_str());
        list.WPNum = parseProfileInt(buf);
        list.selectedIndex = list.WPNum;
        GetPrivateProfileStringW(section.c_str(), L"Name", decimal(i + 1).c_str(), buf,
                                 kMaxPathChars, f.c_str());
        list.Name = buf;
    }

    wchar_t spi[kMaxPathChars];
    GetPrivateProfileStringW(L"Path", L"SPI", L"", spi, kMaxPathChars, f.c_str());
    s.SPI = spi;

    readToday();
}

void loadFolderSettings() {
    Settings& s = g_settings;
    const ProfileSection twin = readSection(L"TWin", g_path);
    const int32_t defW[5] = {0, 800, 1024, 1280, 1280};
    const int32_t defH[5] = {0, 600, 768, 800, 1024};
    for (int i = 0; i < 5; ++i) {
        s.PresetW[i] = twin.getInt(L"PresetW" + decimal(i), defW[i]);
        s.PresetH[i] = twin.getInt(L"PresetH" + decimal(i), defH[i]);
    }
    s.AddImgSize = twin.getInt(L"AddImgSize", 0);
    if (s.AddImgSize < 0 || s.AddImgSize > 4) s.AddImgSize = 0;
    s.minAddWidth = s.PresetW[s.AddImgSize];
    s.minAddHeight = s.PresetH[s.AddImgSize];
    s.DTExpand = twin.getFlag(L"DTExpand", 1);
    s.LRExpand = twin.getFlag(L"LRExpand", 1);

    s.registeredFolders.clear();
    if (!isFile(g_path)) {
        // First run: the user's picture folder is registered to start with.
        wchar_t pictures[MAX_PATH];
        if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_MYPICTURES, nullptr, SHGFP_TYPE_CURRENT,
                                       pictures)))
            s.registeredFolders.emplace_back(pictures);
        return;
    }
    const ProfileSection folders = readSection(L"FolderList", g_path);
    for (int i = 0; i < kMaxRegisteredFolders; ++i) {
        const std::wstring* v = folders.find(decimal(i));
        if (!v || v->empty()) break;
        std::wstring path = v->substr(0, kMaxPathChars - 1);
        if (isDirectory(path)) s.registeredFolders.push_back(path);
    }
}

std::vector<std::wstring> loadListEntries(int list) {
    const int32_t count = g_settings.lists[list].Count;
    std::vector<std::wstring> out;
    if (count <= 0) return out;
    const ProfileSection section = readSection(listSectionName(list).c_str(), g_path);
    // Index the numeric keys once, so thousands of entries cost one pass.
    std::vector<const std::wstring*> byIndex(static_cast<size_t>(count), nullptr);
    for (const auto& [key, value] : section.entries()) {
        if (key.empty() || key.size() > 9) continue;
        bool digits = true;
        for (wchar_t ch : key) digits = digits && ch >= L'0' && ch <= L'9';
        if (!digits || (key.size() > 1 && key[0] == L'0')) continue;
        long idx = std::wcstol(key.c_str(), nullptr, 10);
        if (idx < count && !byIndex[static_cast<size_t>(idx)]) byIndex[static_cast<size_t>(idx)] = &value;
    }
    out.reserve(byIndex.size());
    for (const std::wstring* v : byIndex)
        out.push_back(v ? v->substr(0, std::min<size_t>(v->size(), kMaxPathChars - 1)) : std::wstring());
    return out;
}

std::wstring readListEntry(int list, int index) {
    wchar_t buf[kMaxPathChars];
    GetPrivateProfileStringW(listSectionName(list).c_str(), decimal(index).c_str(), L"", buf,
                             kMaxPathChars, g_path.c_str());
    return buf;
}

DateMark readDateMark() {
    DateMark m;
    m.y = static_cast<int>(GetPrivateProfileIntW(L"WP", L"y", 0, g_path.c_str()));
    m.m = static_cast<int>(GetPrivateProfileIntW(L"WP", L"m", 0, g_path.c_str()));
    m.d = static_cast<int>(GetPrivateProfileIntW(L"WP", L"d", 0, g_path.c_str()));
    return m;
}

void writeDateMark(int y, int m, int d) {
    ensureFileExists(g_path);
    WritePrivateProfileStringW(L"WP", L"y", decimal(y).c_str(), g_path.c_str());
    WritePrivateProfileStringW(L"WP", L"m", decimal(m).c_str(), g_path.c_str());
    WritePrivateProfileStringW(L"WP", L"d", decimal(d).c_str(), g_path.c_str());
}

void clearDateMark() {
    ensureFileExists(g_path);
    WritePrivateProfileStringW(L"WP", L"y", L"0", g_path.c_str());
}

void recordWallpaperChoice() {
    const Settings& s = g_settings;
    ensureFileExists(g_path);
    if (!s.ListHold)
        WritePrivateProfileStringW(L"WP", L"ActList", decimal(s.activeList).c_str(), g_path.c_str());
    WritePrivateProfileStringW(listSectionName(s.activeList).c_str(), L"WPNum",
                               decimal(s.lists[s.activeList].WPNum).c_str(), g_path.c_str());
    writeDateMark(s.today.year, s.today.month, s.today.day);
}

bool saveAllSettings(const std::vector<std::wstring> (&entries)[kListCount]) {
    // The new content is built in a copy beside the file and moved over it in
    // one step, so a process killed half-way leaves the old file whole.
    const std::wstring temp = g_path + L".new";
    const std::wstring image = unicodeImage(g_path);
    if (!writeWholeFile(temp, image.data(), static_cast<DWORD>(image.size() * sizeof(wchar_t))))
        return false;
    saveFolderSettingsTo(temp);
    saveSettingsTo(temp, entries);
    // Flush the profile cache so every write is on disk before the move.
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, temp.c_str());
    if (g_interruptHook && g_interruptHook()) return false;
    if (!MoveFileExW(temp.c_str(), g_path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(temp.c_str());
        return false;
    }
    return true;
}
