#include "ui/main_window_menu.h"

namespace {

constexpr COLORREF kHighlightFill = 0xFFFFE8;
constexpr COLORREF kHighlightFrame = 0x909048;
constexpr COLORREF kCheckFill = 0xFFFFFF;
constexpr COLORREF kCheckFrame = 0xC060C0;

}  // namespace

void FolderMenu::createFontAndBackground() {
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof metrics;
    font_.reset(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)
                    ? CreateFontIndirectW(&metrics.lfMenuFont)
                    : nullptr);
    background_.reset(CreateSolidBrush(GetSysColor(COLOR_MENU)));
}

void FolderMenu::appendOwnerDrawn(UINT id, int index, const wchar_t* label) {
    items_[index].label = label;
    AppendMenuW(popup_.get(), MF_OWNERDRAW, id, reinterpret_cast<const wchar_t*>(&items_[index]));
}

const FolderMenu::ItemText* FolderMenu::itemText(ULONG_PTR data) const {
    for (const ItemText& t : items_)
        if (reinterpret_cast<ULONG_PTR>(&t) == data) return &t;
    return nullptr;
}

HGDIOBJ FolderMenu::fontOrDefault() const {
    return font_ ? static_cast<HGDIOBJ>(font_.get()) : GetStockObject(DEFAULT_GUI_FONT);
}

void FolderMenu::create() {
    createFontAndBackground();
    highlightBrush_.reset(CreateSolidBrush(kHighlightFill));
    highlightPen_.reset(CreatePen(PS_SOLID, 1, kHighlightFrame));
    checkBrush_.reset(CreateSolidBrush(kCheckFill));
    checkPen_.reset(CreatePen(PS_SOLID, 1, kCheckFrame));
    popup_.reset(CreatePopupMenu());
    if (!popup_) return;
    appendOwnerDrawn(kFolderCmdAddToList, 0, L"壁紙リストに追加(&S)");
    AppendMenuW(popup_.get(), MF_SEPARATOR, kFolderCmdSeparator, nullptr);
    appendOwnerDrawn(kFolderCmdRegister, 1, L"登録フォルダに追加(&A)");
    appendOwnerDrawn(kFolderCmdUnregister, 2, L"登録フォルダから削除(&D)");
    AppendMenuW(popup_.get(), MF_SEPARATOR, kFolderCmdSeparator, nullptr);
    appendOwnerDrawn(kFolderCmdExplore, 3, L"エクスプローラで開く(&X)");
}

void FolderMenu::destroy() {
    font_.reset();
    background_.reset();
    highlightBrush_.reset();
    highlightPen_.reset();
    checkBrush_.reset();
    checkPen_.reset();
    popup_.reset();
}

void FolderMenu::rebuildFontAndBackground() {
    font_.reset();
    background_.reset();
    createFontAndBackground();
}

bool FolderMenu::measureItem(HWND owner, MEASUREITEMSTRUCT* item) const {
    if (item->CtlType != ODT_MENU) return false;
    const ItemText* text = itemText(item->itemData);
    if (!text) return false;
    const std::wstring whole = text->label + text->prefix + text->trailing;
    const WindowDc dc(owner);
    if (!dc) return false;
    SIZE size = {};
    {
        const SelectGuard font(dc.get(), fontOrDefault());
        GetTextExtentPoint32W(dc.get(), whole.c_str(), static_cast<int>(whole.size()), &size);
    }
    item->itemWidth = size.cx + 20;
    item->itemHeight = size.cy + 6;
    return true;
}

bool FolderMenu::drawItem(const DRAWITEMSTRUCT* item) const {
    if (item->CtlType != ODT_MENU) return false;
    const ItemText* text = itemText(item->itemData);
    if (!text) return false;
    HDC dc = item->hDC;
    const RECT& r = item->rcItem;
    const SelectGuard font(dc, fontOrDefault());
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    COLORREF oldColor;
    if (item->itemState & (ODS_DISABLED | ODS_GRAYED)) {
        oldColor = SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    } else {
        oldColor = SetTextColor(dc, GetSysColor(COLOR_MENUTEXT));
        if (item->itemState & ODS_SELECTED) {
            const SelectGuard pen(dc, highlightPen_.get());
            const SelectGuard brush(dc, highlightBrush_.get());
            Rectangle(dc, r.left, r.top, r.right, r.bottom);
        } else {
            FillRect(dc, &r, background_.get());
        }
        if (item->itemState & ODS_CHECKED) {
            const SelectGuard pen(dc, checkPen_.get());
            const SelectGuard brush(dc, checkBrush_.get());
            Rectangle(dc, r.left + 4, r.top + 4, r.left + 14, r.top + 14);
            MoveToEx(dc, r.left + 5, r.top + 5, nullptr);
            LineTo(dc, r.left + 13, r.top + 13);
            MoveToEx(dc, r.left + 5, r.top + 12, nullptr);
            LineTo(dc, r.left + 13, r.top + 4);
        }
    }
    RECT textRect = {r.left + 20, r.top, r.right - 12, r.bottom};
    DrawTextW(dc, text->label.c_str(), static_cast<int>(text->label.size()), &textRect,
              DT_SINGLELINE | DT_VCENTER);
    if (!text->trailing.empty()) {
        const std::wstring right = text->prefix + text->trailing;
        DrawTextW(dc, right.c_str(), static_cast<int>(right.size()), &textRect,
                  DT_SINGLELINE | DT_VCENTER | DT_RIGHT);
    }
    SetTextColor(dc, oldColor);
    SetBkMode(dc, oldMode);
    return true;
}
