#include <string>

#include "ui/main_window_menu.h"

namespace {

// The texts of one owner-drawn item: label, prefix and trailing text. This
// program's items only use the label.
struct MenuItemText {
    std::wstring label;
    std::wstring prefix;
    std::wstring trailing;
};

struct MenuResources {
    HMENU popup = nullptr;
    HFONT font = nullptr;
    HBRUSH background = nullptr;
    HBRUSH highlightBrush = nullptr;
    HPEN highlightPen = nullptr;
    HBRUSH checkBrush = nullptr;
    HPEN checkPen = nullptr;
    MenuItemText items[4];
};

MenuResources g_menu;

constexpr COLORREF kHighlightFill = 0xFFFFE8;
constexpr COLORREF kHighlightFrame = 0x909048;
constexpr COLORREF kCheckFill = 0xFFFFFF;
constexpr COLORREF kCheckFrame = 0xC060C0;

void createFontAndBackground() {
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        g_menu.font = CreateFontIndirectW(&metrics.lfMenuFont);
    g_menu.background = CreateSolidBrush(GetSysColor(COLOR_MENU));
}

void releaseFontAndBackground() {
    if (g_menu.font) DeleteObject(g_menu.font);
    if (g_menu.background) DeleteObject(g_menu.background);
    g_menu.font = nullptr;
    g_menu.background = nullptr;
}

void appendOwnerDrawn(UINT id, int index, const wchar_t* label) {
    g_menu.items[index].label = label;
    AppendMenuW(g_menu.popup, MF_OWNERDRAW, id,
                reinterpret_cast<const wchar_t*>(&g_menu.items[index]));
}

const MenuItemText* itemText(ULONG_PTR data) {
    for (const MenuItemText& t : g_menu.items)
        if (reinterpret_cast<ULONG_PTR>(&t) == data) return &t;
    return nullptr;
}

}  // namespace

void createMenuResources() {
    createFontAndBackground();
    g_menu.highlightBrush = CreateSolidBrush(kHighlightFill);
    g_menu.highlightPen = CreatePen(PS_SOLID, 1, kHighlightFrame);
    g_menu.checkBrush = CreateSolidBrush(kCheckFill);
    g_menu.checkPen = CreatePen(PS_SOLID, 1, kCheckFrame);
    g_menu.popup = CreatePopupMenu();
    if (!g_menu.popup) return;
    appendOwnerDrawn(kMenuAddToList, 0, L"壁紙リストに追加(&S)");
    AppendMenuW(g_menu.popup, MF_SEPARATOR, kMenuSeparator, nullptr);
    appendOwnerDrawn(kMenuAddRegistered, 1, L"登録フォルダに追加(&A)");
    appendOwnerDrawn(kMenuRemoveRegistered, 2, L"登録フォルダから削除(&D)");
    AppendMenuW(g_menu.popup, MF_SEPARATOR, kMenuSeparator, nullptr);
    appendOwnerDrawn(kMenuOpenExplorer, 3, L"エクスプローラで開く(&X)");
}

void destroyMenuResources() {
    releaseFontAndBackground();
    for (HGDIOBJ* o : {reinterpret_cast<HGDIOBJ*>(&g_menu.highlightBrush),
                       reinterpret_cast<HGDIOBJ*>(&g_menu.highlightPen),
                       reinterpret_cast<HGDIOBJ*>(&g_menu.checkBrush),
                       reinterpret_cast<HGDIOBJ*>(&g_menu.checkPen)}) {
        if (*o) DeleteObject(*o);
        *o = nullptr;
    }
    if (g_menu.popup) DestroyMenu(g_menu.popup);
    g_menu.popup = nullptr;
}

void rebuildMenuFontAndBrush() {
    releaseFontAndBackground();
    createFontAndBackground();
}

HMENU folderPopupMenu() { return g_menu.popup; }

bool measureMenuItem(HWND owner, MEASUREITEMSTRUCT* item) {
    if (item->CtlType != ODT_MENU) return false;
    const MenuItemText* text = itemText(item->itemData);
    if (!text) return false;
    const std::wstring whole = text->label + text->prefix + text->trailing;
    HDC dc = GetDC(owner);
    if (!dc) return false;
    HGDIOBJ old = SelectObject(dc, g_menu.font ? g_menu.font : GetStockObject(DEFAULT_GUI_FONT));
    SIZE size = {};
    GetTextExtentPoint32W(dc, whole.c_str(), static_cast<int>(whole.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(owner, dc);
    item->itemWidth = size.cx + 20;
    item->itemHeight = size.cy + 6;
    return true;
}

bool drawMenuItem(const DRAWITEMSTRUCT* item) {
    if (item->CtlType != ODT_MENU) return false;
    const MenuItemText* text = itemText(item->itemData);
    if (!text) return false;
    HDC dc = item->hDC;
    const RECT& r = item->rcItem;
    HGDIOBJ oldFont =
        SelectObject(dc, g_menu.font ? g_menu.font : GetStockObject(DEFAULT_GUI_FONT));
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    COLORREF oldColor;
    if (item->itemState & (ODS_DISABLED | ODS_GRAYED)) {
        oldColor = SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    } else {
        oldColor = SetTextColor(dc, GetSysColor(COLOR_MENUTEXT));
        if (item->itemState & ODS_SELECTED) {
            HGDIOBJ oldPen = SelectObject(dc, g_menu.highlightPen);
            HGDIOBJ oldBrush = SelectObject(dc, g_menu.highlightBrush);
            Rectangle(dc, r.left, r.top, r.right, r.bottom);
            SelectObject(dc, oldBrush);
            SelectObject(dc, oldPen);
        } else {
            FillRect(dc, &r, g_menu.background);
        }
        if (item->itemState & ODS_CHECKED) {
            HGDIOBJ oldPen = SelectObject(dc, g_menu.checkPen);
            HGDIOBJ oldBrush = SelectObject(dc, g_menu.checkBrush);
            Rectangle(dc, r.left + 4, r.top + 4, r.left + 14, r.top + 14);
            MoveToEx(dc, r.left + 5, r.top + 5, nullptr);
            LineTo(dc, r.left + 13, r.top + 13);
            MoveToEx(dc, r.left + 5, r.top + 12, nullptr);
            LineTo(dc, r.left + 13, r.top + 4);
            SelectObject(dc, oldBrush);
            SelectObject(dc, oldPen);
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
    SelectObject(dc, oldFont);
    return true;
}
