#include <windows.h>

#include <vector>

#include "app/change_cycle.h"
#include "app/headless_runs.h"
#include "app/screen_size.h"
#include "base/random.h"
#include "compose/monitor_layout.h"
#include "settings/settings_file.h"

namespace {

// The rules' view of the real world: the settings file, the desktop and the
// program's random generator.
class SettingsFileHost final : public CycleHost {
public:
    CycleDate readDateMark() override {
        const DateMark m = ::readDateMark();
        return {m.y, m.m, m.d};
    }
    void writeDateMark(int y, int m, int d) override { ::writeDateMark(y, m, d); }
    std::wstring readEntry(int list, int index) override { return readListEntry(list, index); }
    bool makeWallpaper(const wchar_t* path) override { return ::makeWallpaper(path); }
    void recordWallpaperChoice() override { ::recordWallpaperChoice(); }
    int nextRandom() override { return ::nextRandom(); }
    void readToday() override { ::readToday(); }
    int picturesPerChange() override { return ::picturesPerChange(g_settings); }
    bool preparePicture(const wchar_t* path) override {
        OwnedImage picture;
        if (!loadPicture(path, picture)) return false;
        prepared_.push_back(std::move(picture));
        return true;
    }
    bool makePreparedWallpaper() override {
        const bool made = makeWallpaperFrom(prepared_);
        prepared_.clear();
        return made;
    }
    void dropPreparedPictures() override { prepared_.clear(); }

private:
    std::vector<OwnedImage> prepared_;
};

}  // namespace

bool changeWallpaper() {
    SettingsFileHost host;
    return runChangeCycle(g_settings, host);
}

void updateCalendarOnly() {
    SettingsFileHost host;
    runCalendarUpdate(g_settings, host);
}

bool redrawCalendarNow() {
    SettingsFileHost host;
    return runCalendarRedraw(g_settings, host);
}

bool changeToNextPicture() {
    SettingsFileHost host;
    return runTimedChange(g_settings, host);
}

bool setShownAsWallpaper(const wchar_t* path, int caretIndex) {
    SettingsFileHost host;
    return runManualSet(g_settings, host, path, caretIndex);
}
