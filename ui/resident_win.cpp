#include <windows.h>
#include <shellapi.h>

#include <deque>
#include <string>
#include <vector>

#include "app/change_cycle.h"
#include "app/headless_runs.h"
#include "app/resident_schedule.h"
#include "app/screen_size.h"
#include "base/owners_win.h"
#include "image/loaded_image.h"
#include "res/control_ids.h"
#include "settings/settings_file.h"
#include "ui/main_window.h"
#include "ui/resident.h"
#include "ui/ui_resources.h"

namespace {

// WM_COPYDATA's dwData for a handed-over start: this tag and the run kind.
constexpr ULONG_PTR kHandOverTag = 0x54560000;
constexpr ULONG_PTR kHandOverTagMask = 0xFFFF0000;
// A path longer than this is no path the program takes.
constexpr DWORD kMaxHandOverBytes = 32768 * sizeof(wchar_t);

constexpr UINT kRequestPending = WM_APP + 0x52;
constexpr UINT_PTR kScheduleTimer = 1;  // the next event of the schedule
constexpr UINT_PTR kSettleTimer = 2;    // a redraw shortly after a system event
constexpr UINT kSettleMs = 300;         // resume and display changes come in bursts: one redraw
constexpr UINT kIconId = 1;
constexpr int kHotKeyId = 1;

// The Windows session notifications, looked up at run time: the program
// imports only what every Windows system has.
using RegisterSessionFn = BOOL(WINAPI*)(HWND, DWORD);
using UnregisterSessionFn = BOOL(WINAPI*)(HWND);
constexpr DWORD kNotifyForThisSession = 0;
constexpr WPARAM kSessionLogon = 5;      // WTS_SESSION_LOGON
constexpr WPARAM kSessionUnlock = 8;     // WTS_SESSION_UNLOCK
constexpr UINT kSessionChange = 0x02B1;  // WM_WTSSESSION_CHANGE

// Seconds between 1601-01-01 (file times) and 1970-01-01.
constexpr int64_t kFileTimeEpoch = 11644473600LL;

// The system's wall clock and the local zone's rules.
class SystemClock final : public ResidentClock {
public:
    int64_t now() const override {
        FILETIME ft;
        GetSystemTimeAsFileTime(&ft);
        ULARGE_INTEGER u;
        u.LowPart = ft.dwLowDateTime;
        u.HighPart = ft.dwHighDateTime;
        return static_cast<int64_t>(u.QuadPart / 10000000ULL) - kFileTimeEpoch;
    }
    LocalDate localAt(int64_t utc) const override {
        ULARGE_INTEGER u;
        u.QuadPart = static_cast<ULONGLONG>(utc + kFileTimeEpoch) * 10000000ULL;
        const FILETIME ft = {u.LowPart, u.HighPart};
        SYSTEMTIME universal = {}, local = {};
        if (!FileTimeToSystemTime(&ft, &universal) ||
            !SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local))
            GetLocalTime(&local);
        LocalDate d;
        d.year = local.wYear;
        d.month = local.wMonth;
        d.day = local.wDay;
        d.dayOfWeek = local.wDayOfWeek;
        d.hour = local.wHour;
        d.minute = local.wMinute;
        d.second = local.wSecond;
        return d;
    }
};

struct Request {
    RunKind kind;
    std::wstring argument;
};

}  // namespace

struct ResidentState {
    SystemClock clock;
    ResidentSchedule schedule{clock, 0};
    HWND window = nullptr;
    UINT taskbarCreated = 0;
    bool iconShown = false;
    std::unique_ptr<MainWindow> main;  // the main window's record while it is open
    std::deque<Request> requests;      // handed over by later starts, in order
    UniqueLibrary sessionLibrary;
    bool sessionRegistered = false;
    int32_t hotKey = 0;  // the hotkey registered, 0 for none
};

namespace {

bool mainOpen(const ResidentState& r) { return r.main && r.main->hwnd; }

void addIcon(ResidentState& r) {
    NOTIFYICONDATAW nid = {};
    nid.cbSize = sizeof nid;
    nid.hWnd = r.window;
    nid.uID = kIconId;
    nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP;
    nid.uCallbackMessage = kResidentIconMessage;
    nid.hIcon = static_cast<HICON>(LoadImageW(g_instance, MAKEINTRESOURCEW(IDI_TOLVEX), IMAGE_ICON,
                                              GetSystemMetrics(SM_CXSMICON),
                                              GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    lstrcpynW(nid.szTip, kAppTitle, ARRAYSIZE(nid.szTip));
    r.iconShown = Shell_NotifyIconW(NIM_ADD, &nid) != FALSE;
    if (!r.iconShown) {
        // Shells before Vista know the smaller record only.
        nid.cbSize = NOTIFYICONDATAW_V3_SIZE;
        nid.uFlags &= ~NIF_SHOWTIP;
        r.iconShown = Shell_NotifyIconW(NIM_ADD, &nid) != FALSE;
    }
    if (!r.iconShown) return;
    nid.uVersion = NOTIFYICON_VERSION_4;
    if (!Shell_NotifyIconW(NIM_SETVERSION, &nid)) {
        nid.uVersion = NOTIFYICON_VERSION;
        Shell_NotifyIconW(NIM_SETVERSION, &nid);
    }
}

void removeIcon(ResidentState& r) {
    if (!r.iconShown) return;
    NOTIFYICONDATAW nid = {};
    nid.cbSize = NOTIFYICONDATAW_V3_SIZE;
    nid.hWnd = r.window;
    nid.uID = kIconId;
    Shell_NotifyIconW(NIM_DELETE, &nid);
    r.iconShown = false;
}

// The interval and the hotkey as Settings has them now.
void applySettings(ResidentState& r) {
    r.schedule.setInterval(g_settings.Interval);
    const int32_t wanted = hotKeyKey(g_settings.HotKey) ? g_settings.HotKey : 0;
    if (wanted == r.hotKey) return;
    if (r.hotKey) UnregisterHotKey(r.window, kHotKeyId);
    r.hotKey = 0;
    if (wanted && RegisterHotKey(r.window, kHotKeyId, hotKeyModifiers(wanted), hotKeyKey(wanted)))
        r.hotKey = wanted;
}

// The settings file as it is now; the main window, while open, holds the
// lists as they are being edited, so then only today is read.
void refreshSettings(ResidentState& r) {
    if (mainOpen(r))
        readToday();
    else
        loadSettings();
    applySettings(r);
}

// Between changes nothing of a picture stays: what the composer did not
// take is let go of, and without a window the pages go back to the system.
void afterWork(const ResidentState& r) {
    { const OwnedImage leftover = takeCurrentImage(); }
    if (!mainOpen(r))
        SetProcessWorkingSetSize(GetCurrentProcess(), static_cast<SIZE_T>(-1),
                                 static_cast<SIZE_T>(-1));
}

void arm(ResidentState& r) {
    SetTimer(r.window, kScheduleTimer, r.schedule.delayMs(USER_TIMER_MAXIMUM), nullptr);
}

void nextPicture(ResidentState& r) {
    refreshSettings(r);
    changeToNextPicture();
    r.schedule.pictureChanged();  // tried: the next try is an interval away
}

void redrawCalendar(ResidentState& r) {
    refreshSettings(r);
    redrawCalendarNow();
    r.schedule.calendarDrawn();
}

// What the schedule says is due; `redraw` when a system event asks for the
// calendar at once.
void runDue(ResidentState& r, bool redraw) {
    switch (r.schedule.due()) {
        case ResidentDue::Picture:
            nextPicture(r);
            break;
        case ResidentDue::Calendar:
            redrawCalendar(r);
            break;
        case ResidentDue::Nothing:
            if (redraw) redrawCalendar(r);
            break;
    }
    afterWork(r);
    arm(r);
}

void openMain(ResidentState& r, int showCommand) {
    if (mainOpen(r)) {
        if (IsIconic(r.main->hwnd)) ShowWindow(r.main->hwnd, SW_RESTORE);
        SetForegroundWindow(r.main->hwnd);
        return;
    }
    loadSettings();  // the lists as the file has them now
    r.main = std::make_unique<MainWindow>();
    r.main->residentOwner = r.window;
    if (!openMainWindow(g_instance, *r.main, showCommand)) {
        r.main.reset();
        return;
    }
    SetForegroundWindow(r.main->hwnd);
}

void runRequest(ResidentState& r, RunKind kind, const wchar_t* argument, int showCommand) {
    switch (kind) {
        case RunKind::Windowed:
            openMain(r, showCommand);
            return;
        case RunKind::Change:
            refreshSettings(r);
            if (changeWallpaper()) r.schedule.pictureChanged();
            break;
        case RunKind::CalendarOnly:
            redrawCalendar(r);
            break;
        case RunKind::SetFile:
            refreshSettings(r);
            makeWallpaper(argument);
            break;
    }
    afterWork(r);
    arm(r);
}

// "終了" without the main window: the closing save from the file as it is
// (every change was written when it was made), then the end.
void saveWithoutWindow() {
    loadSettings();
    loadFolderSettings();
    std::vector<std::wstring> entries[kListCount];
    for (int i = 0; i < kListCount; ++i) entries[i] = loadListEntries(i);
    SaveFailure why;
    if (!saveAllSettings(entries, &why))
        showErrorMessage(nullptr, describeSaveFailure(why).c_str());
}

void exitResident(ResidentState& r) {
    if (mainOpen(r)) {
        // The window's own closing save; one that failed keeps the window,
        // and the process with it.
        SendMessageW(r.main->hwnd, WM_CLOSE, 0, 0);
        if (mainOpen(r)) return;
    } else {
        saveWithoutWindow();
    }
    DestroyWindow(r.window);
}

void showMenu(ResidentState& r) {
    const UniqueMenu menu(CreatePopupMenu());
    if (!menu) return;
    AppendMenuW(menu.get(), MF_STRING, IDM_RESIDENT_NEXT, L"次の壁紙");
    AppendMenuW(menu.get(), MF_STRING, IDM_RESIDENT_CALENDAR, L"カレンダーを更新");
    AppendMenuW(menu.get(), MF_STRING | (r.schedule.paused() ? MF_CHECKED : MF_UNCHECKED),
                IDM_RESIDENT_PAUSE, L"一時停止");
    AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu.get(), MF_STRING, IDM_RESIDENT_OPEN, L"Tolvex を開く");
    AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu.get(), MF_STRING, IDM_RESIDENT_EXIT, L"終了");
    SetMenuDefaultItem(menu.get(), IDM_RESIDENT_OPEN, FALSE);
    POINT at = {};
    GetCursorPos(&at);
    // The menu closes when the user clicks elsewhere only if the window is
    // in the foreground, and the message after it lets the shell notice.
    SetForegroundWindow(r.window);
    TrackPopupMenuEx(menu.get(), TPM_RIGHTBUTTON, at.x, at.y, r.window, nullptr);
    PostMessageW(r.window, WM_NULL, 0, 0);
}

void onCommand(ResidentState& r, int id) {
    switch (id) {
        case IDM_RESIDENT_NEXT:
            nextPicture(r);
            afterWork(r);
            arm(r);
            break;
        case IDM_RESIDENT_CALENDAR:
            redrawCalendar(r);
            afterWork(r);
            arm(r);
            break;
        case IDM_RESIDENT_PAUSE:
            r.schedule.setPaused(!r.schedule.paused());
            arm(r);
            break;
        case IDM_RESIDENT_OPEN:
            openMain(r, SW_SHOWNORMAL);
            break;
        case IDM_RESIDENT_EXIT:
            exitResident(r);
            break;
        default:
            break;
    }
}

// A request from a later start: checked (any program can send it), queued
// and run once the sender has been answered, so that it ends at once.
bool onCopyData(ResidentState& r, const COPYDATASTRUCT* data) {
    if (!data || (data->dwData & kHandOverTagMask) != kHandOverTag) return false;
    const ULONG_PTR kind = data->dwData & ~kHandOverTagMask;
    if (kind > static_cast<ULONG_PTR>(RunKind::SetFile) || data->cbData > kMaxHandOverBytes ||
        data->cbData % sizeof(wchar_t) != 0 || (data->cbData && !data->lpData))
        return false;
    std::wstring argument(static_cast<const wchar_t*>(data->lpData),
                          data->cbData / sizeof(wchar_t));
    argument.resize(wcsnlen(argument.c_str(), argument.size()));
    if (static_cast<RunKind>(kind) == RunKind::SetFile && argument.empty()) return false;
    r.requests.push_back({static_cast<RunKind>(kind), std::move(argument)});
    PostMessageW(r.window, kRequestPending, 0, 0);
    return true;
}

void onRequestPending(ResidentState& r) {
    if (r.requests.empty()) return;
    const Request request = std::move(r.requests.front());
    r.requests.pop_front();
    runRequest(r, request.kind, request.argument.c_str(), SW_SHOWNORMAL);
}

void onIcon(ResidentState& r, LPARAM lp) {
    switch (LOWORD(lp)) {
        case WM_CONTEXTMENU:
        case WM_RBUTTONUP:
            showMenu(r);
            break;
        case WM_LBUTTONDBLCLK:
            openMain(r, SW_SHOWNORMAL);
            break;
        default:
            break;
    }
}

void settleSoon(ResidentState& r) { SetTimer(r.window, kSettleTimer, kSettleMs, nullptr); }

void onDestroy(ResidentState& r) {
    KillTimer(r.window, kScheduleTimer);
    KillTimer(r.window, kSettleTimer);
    removeIcon(r);
    if (r.hotKey) UnregisterHotKey(r.window, kHotKeyId);
    r.hotKey = 0;
    if (r.sessionRegistered) {
        const auto unregister = reinterpret_cast<UnregisterSessionFn>(reinterpret_cast<void*>(
            GetProcAddress(r.sessionLibrary.get(), "WTSUnRegisterSessionNotification")));
        if (unregister) unregister(r.window);
        r.sessionRegistered = false;
    }
    r.window = nullptr;
    PostQuitMessage(0);
}

LRESULT CALLBACK residentProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* r = reinterpret_cast<ResidentState*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!r) return DefWindowProcW(hwnd, msg, wp, lp);
    if (msg == r->taskbarCreated && msg != 0) {
        r->iconShown = false;
        addIcon(*r);
        return 0;
    }
    switch (msg) {
        case kResidentIconMessage:
            onIcon(*r, lp);
            return 0;
        case WM_COMMAND:
            onCommand(*r, LOWORD(wp));
            return 0;
        case WM_HOTKEY:
            if (wp == kHotKeyId) onCommand(*r, IDM_RESIDENT_NEXT);
            return 0;
        case WM_COPYDATA:
            return onCopyData(*r, reinterpret_cast<const COPYDATASTRUCT*>(lp)) ? TRUE : FALSE;
        case kRequestPending:
            onRequestPending(*r);
            return 0;
        case kMainWindowGone:
            // Closed (and saved) by the user: the options may have changed.
            r->main.reset();
            applySettings(*r);
            afterWork(*r);
            arm(*r);
            return 0;
        case WM_TIMER:
            if (wp == kSettleTimer) KillTimer(hwnd, kSettleTimer);
            runDue(*r, wp == kSettleTimer);
            return 0;
        case WM_POWERBROADCAST:
            if (wp == PBT_APMRESUMEAUTOMATIC) settleSoon(*r);
            return TRUE;
        case kSessionChange:
            if (wp == kSessionUnlock || wp == kSessionLogon) settleSoon(*r);
            return 0;
        case WM_TIMECHANGE:
            settleSoon(*r);
            return 0;
        case WM_DISPLAYCHANGE:
            readScreenSize(g_settings);  // the wallpaper's size follows
            settleSoon(*r);
            return 0;
        case WM_CLOSE:
            return 0;  // only "終了" ends resident mode
        case WM_DESTROY:
            onDestroy(*r);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

void registerSessionNotification(ResidentState& r) {
    r.sessionLibrary.reset(LoadLibraryW(L"wtsapi32.dll"));
    if (!r.sessionLibrary) return;
    const auto registerFn = reinterpret_cast<RegisterSessionFn>(reinterpret_cast<void*>(
        GetProcAddress(r.sessionLibrary.get(), "WTSRegisterSessionNotification")));
    r.sessionRegistered = registerFn && registerFn(r.window, kNotifyForThisSession);
}

}  // namespace

bool handOverToResident(RunKind kind, const wchar_t* argument) {
    HWND resident = FindWindowW(kMainClassName, kResidentTitle);
    if (!resident) return false;
    std::wstring text;
    if (kind == RunKind::SetFile && argument) {
        wchar_t full[MAX_PATH];
        const DWORD n = GetFullPathNameW(argument, MAX_PATH, full, nullptr);
        text = n > 0 && n < MAX_PATH ? full : argument;
    }
    COPYDATASTRUCT data = {};
    data.dwData = kHandOverTag | static_cast<ULONG_PTR>(kind);
    data.cbData = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    data.lpData = text.data();
    // The resident process may then bring its main window to the front.
    DWORD residentProcess = 0;
    GetWindowThreadProcessId(resident, &residentProcess);
    AllowSetForegroundWindow(residentProcess);
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(resident, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG,
                        10000, &answer);
    return true;
}

Resident::Resident() = default;

Resident::~Resident() {
    if (!state_) return;
    if (mainOpen(*state_)) DestroyWindow(state_->main->hwnd);
    if (state_->window) DestroyWindow(state_->window);
    state_->main.reset();
}

bool Resident::start(RunKind kind, const wchar_t* argument, int showCommand) {
    // The hidden window is of the main class, so that the single-instance
    // rule finds it. Made without a record, it is left to the default
    // procedure by the main window's until it is given its own below.
    if (!registerMainWindowClass(g_instance)) return false;
    state_ = std::make_unique<ResidentState>();
    ResidentState& r = *state_;
    r.window = CreateWindowExW(WS_EX_TOOLWINDOW, kMainClassName, kResidentTitle, WS_POPUP, 0, 0, 0,
                               0, nullptr, nullptr, g_instance, nullptr);
    if (!r.window) {
        state_.reset();
        return false;
    }
    SetWindowLongPtrW(r.window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&r));
    SetWindowLongPtrW(r.window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(residentProc));
    r.taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    addIcon(r);
    registerSessionNotification(r);
    applySettings(r);
    runRequest(r, kind, argument, showCommand);
    arm(r);
    return true;
}
