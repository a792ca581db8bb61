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
    // A section never has more characters than the file has bytes: starting
    // there makes one call enough even for lists of thousands of entries
    // (under Wine each call costs about as much as a walk over the file).
    WIN32_FILE_ATTRIBUTE_DATA data;
    size_t start = 32 * 1024;
    if (GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &data) &&
        data.nFileSizeHigh == 0 && data.nFileSizeLow + 2 > start && data.nFileSizeLow < (1u << 26))
        start = data.nFileSizeLow + 2;
    std::vector<wchar_t> buf(start);
    for (;;) {
        DWORD got = GetPrivateProfileSectionW(section, buf.data(), static_cast<DWORD>(buf.size()),
                                              file.c_str());
        if (got + 2 < buf.size() || buf.size() >= (1u << 28)) {
            return ProfileSection(parseSectionBuffer(buf.data(), got));
        }
        buf.resize(buf.size() * 4);
    }
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

const wchar_t kBom[] = L"\xFEFF";

// The profile calls create a missing file in the ANSI code page, which loses
// every character of a path outside it; a file that starts as UTF-16 with a
// byte-order mark stays UTF-16. So the file is created that way before any
// first write.
void ensureFileExists(const std::wstring& path) {
    if (!isFile(path)) writeWholeFile(path, kBom, sizeof(wchar_t));
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

// The closing save, first the folder window's part: the preset sizes, the
// tree's expanded roots and the registered folders that still exist, under
// gapless keys.
std::vector<ProfileSectionText> folderSections() {
    const Settings& s = g_settings;
    ProfileSectionText twin{L"TWin", {}};
    for (int i = 0; i < 5; ++i) {
        twin.entries.emplace_back(L"PresetW" + decimal(i), decimal(s.PresetW[i]));
        twin.entries.emplace_back(L"PresetH" + decimal(i), decimal(s.PresetH[i]));
    }
    twin.entries.emplace_back(L"AddImgSize", decimal(s.AddImgSize));
    twin.entries.emplace_back(L"DTExpand", decimal(s.DTExpand));
    twin.entries.emplace_back(L"LRExpand", decimal(s.LRExpand));

    ProfileSectionText folders{L"FolderList", {}};
    for (size_t i = 0; i < s.registeredFolders.size() && i < kMaxRegisteredFolders; ++i) {
        const std::wstring& f = s.registeredFolders[i];
        if (f.empty()) break;
        if (isDirectory(f))
            folders.entries.emplace_back(decimal(static_cast<int64_t>(folders.entries.size())), f);
    }
    return {std::move(twin), std::move(folders)};
}

ProfileSectionText wallpaperSection(int32_t y, int32_t m, int32_t d) {
    Settings& s = g_settings;
    if (s.ListHold) s.activeList = s.shownList;
    return {L"WP",
            {
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
            }};
}

ProfileSectionText listSection(int i, const std::vector<std::wstring>& items) {
    WallpaperList& list = g_settings.lists[i];
    list.Count = static_cast<int32_t>(items.size());
    ProfileSectionText section{listSectionName(i), {}};
    section.entries.reserve(items.size() + 3);
    section.entries.emplace_back(L"Count", decimal(list.Count));
    section.entries.emplace_back(L"WPNum", decimal(list.WPNum));
    section.entries.emplace_back(L"Name", list.Name);
    for (size_t k = 0; k < items.size(); ++k)
        section.entries.emplace_back(decimal(static_cast<int64_t>(k)), items[k]);
    return section;
}

// Every section name of the file, in file order.
std::vector<std::wstring> sectionNames(const std::wstring& file) {
    std::vector<wchar_t> buf(4096);
    for (;;) {
        DWORD got = GetPrivateProfileSectionNamesW(buf.data(), static_cast<DWORD>(buf.size()),
                                                   file.c_str());
        if (got + 2 < buf.size() || buf.size() >= (1u << 24)) {
            std::vector<std::wstring> names;
            for (size_t i = 0; i < got && buf[i];) {
                std::wstring name(&buf[i]);
                i += name.size() + 1;
                names.push_back(std::move(name));
            }
            return names;
        }
        buf.resize(buf.size() * 4);
    }
}

// The sections the closing save rewrites whole; everything else in the file
// (Cal, and sections this version does not know) is carried over.
bool rewrittenSection(const std::wstring& name) {
    if (sameKey(name, L"TWin") || sameKey(name, L"FolderList") || sameKey(name, L"Path") ||
        sameKey(name, L"WP"))
        return true;
    for (int i = 0; i < kListCount; ++i)
        if (sameKey(name, listSectionName(i))) return true;
    return false;
}

// The file the closing save leaves: the kept sections in their places (Cal
// updated key by key), then TWin, FolderList, WP, the eight lists and Path,
// which is the order writing them one by one would give.
std::wstring closingSaveText(const std::vector<std::wstring> (&entries)[kListCount]) {
    const ProfileSection oldWp = readSection(L"WP", g_path);
    const int32_t y = oldWp.getInt(L"y", 0), m = oldWp.getInt(L"m", 0), d = oldWp.getInt(L"d", 0);

    std::vector<ProfileSectionText> doc;
    bool haveCal = false;
    for (const std::wstring& name : sectionNames(g_path)) {
        if (name.empty() || rewrittenSection(name)) continue;
        ProfileSectionText kept{name, readSection(name.c_str(), g_path).entries()};
        if (sameKey(name, L"Cal")) {
            mergeKeys(kept.entries, calendarKeys(g_settings));
            haveCal = true;
        }
        doc.push_back(std::move(kept));
    }
    for (auto& section : folderSections()) doc.push_back(std::move(section));
    doc.push_back(wallpaperSection(y, m, d));
    if (!haveCal) doc.push_back({L"Cal", calendarKeys(g_settings)});
    for (int i = 0; i < kListCount; ++i) doc.push_back(listSection(i, entries[i]));
    doc.push_back({L"Path", {{L"SPI", g_settings.SPI}}});
    return std::wstring(kBom) + serializeProfile(doc);
}

SaveInterruptHook g_interruptHook = nullptr;

// The list sections as loadSettings read them, until the lists are loaded.
ProfileSection g_listSections[kListCount];

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

    // One section read per list: the entries come along, and the windowed
    // run takes them from here instead of reading each list a second time.
    for (int i = 0; i < kListCount; ++i) {
        ProfileSection section = readSection(listSectionName(i).c_str(), f);
        WallpaperList& list = s.lists[i];
        list.Count = section.getInt(L"Count", 0);
        list.WPNum = section.getInt(L"WPNum", -1);
        list.selectedIndex = list.WPNum;
        list.Name = section.getString(L"Name", decimal(i + 1));
        g_listSections[i] = std::move(section);
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
        if (SUCCEEDED(
                SHGetFolderPathW(nullptr, CSIDL_MYPICTURES, nullptr, SHGFP_TYPE_CURRENT, pictures)))
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
    ProfileSection section = std::move(g_listSections[list]);
    g_listSections[list] = ProfileSection();
    if (section.entries().empty()) section = readSection(listSectionName(list).c_str(), g_path);
    // Index the numeric keys once, so thousands of entries cost one pass.
    std::vector<const std::wstring*> byIndex(static_cast<size_t>(count), nullptr);
    for (const auto& [key, value] : section.entries()) {
        if (key.empty() || key.size() > 9) continue;
        bool digits = true;
        for (wchar_t ch : key) digits = digits && ch >= L'0' && ch <= L'9';
        if (!digits || (key.size() > 1 && key[0] == L'0')) continue;
        long idx = std::wcstol(key.c_str(), nullptr, 10);
        if (idx < count && !byIndex[static_cast<size_t>(idx)])
            byIndex[static_cast<size_t>(idx)] = &value;
    }
    out.reserve(byIndex.size());
    for (const std::wstring* v : byIndex)
        out.push_back(v ? v->substr(0, std::min<size_t>(v->size(), kMaxPathChars - 1))
                        : std::wstring());
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
        WritePrivateProfileStringW(L"WP", L"ActList", decimal(s.activeList).c_str(),
                                   g_path.c_str());
    WritePrivateProfileStringW(listSectionName(s.activeList).c_str(), L"WPNum",
                               decimal(s.lists[s.activeList].WPNum).c_str(), g_path.c_str());
    writeDateMark(s.today.year, s.today.month, s.today.day);
}

bool saveAllSettings(const std::vector<std::wstring> (&entries)[kListCount]) {
    // The old file is read through the profile calls (which know its
    // encoding); the new content goes into a copy beside it, every write
    // checked, and the copy replaces the file in one step. A process killed
    // half-way leaves the old file whole, and the new file is UTF-16 whatever
    // the old one was. One write of the whole text keeps a save of thousands
    // of entries quick, where a profile call per section rewrites the file
    // each time.
    const std::wstring text = closingSaveText(entries);
    const std::wstring temp = g_path + L".new";
    if (!writeWholeFile(temp, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)))) {
        DeleteFileW(temp.c_str());
        return false;
    }
    if (g_interruptHook && g_interruptHook()) return false;
    if (!MoveFileExW(temp.c_str(), g_path.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(temp.c_str());
        return false;
    }
    return true;
}
